#include "convert/NetworkChecks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

#include "common/Angles.h"
#include "output/NumberFormat.h"

namespace {

constexpr std::size_t kPartNamesListed = 20;  // stations of the smaller parts named in full

/// Whether `item` would be kept among the kLargestShown largest of `list` by `size`.
template <typename Item, typename Size>
bool AmongLargest(const std::vector<Item>& list, const Item& item, Size size) {
    return list.size() < kLargestShown || size(item) > size(list.back());
}

/// Keeps `item` among the kLargestShown largest of `list` by `size`, largest first.
template <typename Item, typename Size>
void KeepLargest(std::vector<Item>& list, Item item, Size size) {
    const auto at = std::find_if(list.begin(), list.end(),
                                 [&](const Item& kept) { return size(item) > size(kept); });
    if (at == list.end() && list.size() >= kLargestShown) return;
    list.insert(at, std::move(item));
    if (list.size() > kLargestShown) list.pop_back();
}

/// A finding with its sentence: the finding's title, `separator` and `brief`.
FindingDetail Detail(Finding finding, int line, std::vector<std::string> stations,
                     const char* separator, std::string brief) {
    std::string text = InfoOf(finding).text;
    text += separator;
    text += brief;
    return {finding, line, std::move(stations), std::move(text), std::move(brief)};
}

bool ReadPositiveNumber(std::string_view text, double& value) {
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value) &&
           value > 0.0;
}

}  // namespace

std::string Metres(double value) {
    constexpr int kDecimals = 3;
    constexpr double kHalfLastDigit = 0.0005;
    std::string text;
    AppendFixed(text, std::fabs(value) < kHalfLastDigit ? 0.0 : value, kDecimals);
    return text;
}

bool ParseCheckTolerances(std::string_view text, CheckTolerances& tolerances,
                          std::string& error) {
    const struct {
        const char* key;
        double CheckTolerances::*field;
    } keys[] = {{"height", &CheckTolerances::height},
                {"vector", &CheckTolerances::vector},
                {"repeat-h", &CheckTolerances::repeatH},
                {"repeat-v", &CheckTolerances::repeatV}};
    CheckTolerances read = tolerances;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find(',', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view item = text.substr(start, end - start);
        const std::size_t equals = item.find('=');
        const std::string_view key = item.substr(0, equals);
        const auto known = std::find_if(std::begin(keys), std::end(keys),
                                        [&](const auto& k) { return key == k.key; });
        if (known == std::end(keys)) {
            error = "unknown tolerance \"" + std::string(key) +
                    "\" (height, vector, repeat-h, repeat-v)";
            return false;
        }
        double value = 0.0;
        if (equals == std::string_view::npos ||
            !ReadPositiveNumber(item.substr(equals + 1), value)) {
            error = "tolerance " + std::string(key) + " needs a positive number of metres";
            return false;
        }
        read.*(known->field) = value;
        start = end + 1;
    }
    tolerances = read;
    return true;
}

NetworkChecks::NetworkChecks(const CheckTolerances& tolerances, double semiMajorAxis,
                             double inverseFlattening)
    : m_tolerances(tolerances) {
    MakeEllipsoid(semiMajorAxis, inverseFlattening, m_ellipsoid);
}

void NetworkChecks::BeginFile(BlueBookFile file) {
    if (file == BlueBookFile::kBFile) m_bFile = true;
    m_next->BeginFile(file);
}

void NetworkChecks::EndFile(BlueBookFile file, long long lines, bool reachedEnd) {
    m_next->EndFile(file, lines, reachedEnd);
}

int NetworkChecks::Datum(const DatumRecord& d) {
    // The ellipsoid the header declares (as the TELLURAX writer takes it).
    if (d.found && d.hasEllipsoid) {
        MakeEllipsoid(d.semiMajorAxis, d.inverseFlattening, m_ellipsoid);
    }
    return m_next->Datum(d);
}

// --- Stations ---------------------------------------------------------------------------------

namespace {

// A station name of up to 4 bytes (as station fields hold) as one number, never 0: its bytes
// and its length in the low 35 bits. The look-up table keeps the station's index above them,
// so that one word holds both.
constexpr std::size_t kMaxShortName = 4;
constexpr int kIndexShift = 35;
constexpr std::uint64_t kKeyMask = (std::uint64_t{1} << kIndexShift) - 1;
constexpr int kNoEnd = -2;  // a blank station field

std::uint64_t ShortKey(std::string_view name) {
    std::uint64_t key = static_cast<std::uint64_t>(name.size() + 1) << 32;
    if (name.size() == 4) {  // the usual station field
        std::uint32_t four = 0;
        std::memcpy(&four, name.data(), 4);
        return key | four;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        key |= static_cast<std::uint64_t>(static_cast<unsigned char>(name[i])) << (8 * i);
    }
    return key;
}

std::size_t SlotOf(std::uint64_t key, std::size_t mask) {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;
}

}  // namespace

NetworkChecks::PairEntry& NetworkChecks::PairOf(std::uint64_t key) {
    if (4 * (m_pairsUsed + 1) > 3 * m_pairs.size()) {
        std::vector<PairEntry> old(std::max<std::size_t>(64, 2 * m_pairs.size()));
        old.swap(m_pairs);
        for (const PairEntry& entry : old) {
            if (entry.key != 0) PairOf(entry.key) = entry;
        }
    }
    const std::size_t mask = m_pairs.size() - 1;
    std::size_t slot = SlotOf(key, mask);
    while (m_pairs[slot].key != 0 && m_pairs[slot].key != key) slot = (slot + 1) & mask;
    return m_pairs[slot];
}

void NetworkChecks::IndexShortName(std::string_view name, int i) {
    if (name.size() > kMaxShortName) return;
    if (4 * (m_shortUsed + 1) > 3 * m_shortNames.size()) {
        // Grows to stay at most three quarters full.
        std::vector<std::uint64_t> old(std::max<std::size_t>(64, 2 * m_shortNames.size()), 0);
        old.swap(m_shortNames);
        for (const std::uint64_t entry : old) {
            if (entry == 0) continue;
            const std::size_t mask = m_shortNames.size() - 1;
            std::size_t slot = SlotOf(entry & kKeyMask, mask);
            while (m_shortNames[slot] != 0) slot = (slot + 1) & mask;
            m_shortNames[slot] = entry;
        }
    }
    const std::uint64_t key = ShortKey(name);
    const std::size_t mask = m_shortNames.size() - 1;
    std::size_t slot = SlotOf(key, mask);
    for (; m_shortNames[slot] != 0; slot = (slot + 1) & mask) {
        if ((m_shortNames[slot] & kKeyMask) == key) return;  // the first station of a name stays
    }
    m_shortNames[slot] = key | static_cast<std::uint64_t>(i) << kIndexShift;
    ++m_shortUsed;
}

int NetworkChecks::FindShort(std::uint64_t key) {
    if (m_shortNames.empty()) return -1;
    const std::size_t mask = m_shortNames.size() - 1;
    std::size_t slot = SlotOf(key, mask);
    while ((m_shortNames[slot] & kKeyMask) != key) {
        if (m_shortNames[slot] == 0) return -1;
        slot = (slot + 1) & mask;
    }
    const int index = static_cast<int>(m_shortNames[slot] >> kIndexShift);
    RecentOf(key) = {key, index};
    return index;
}

int NetworkChecks::IndexOf(std::string_view name) {
    if (name.size() > kMaxShortName) return m_index.Find(name, m_names);
    const std::uint64_t key = ShortKey(name);
    // Observations come in sets from one station: the names looked up last come again.
    const RecentName& recent = RecentOf(key);
    return recent.key == key ? recent.index : FindShort(key);
}

void NetworkChecks::IndexAll(std::initializer_list<std::string_view> ends, int* stations,
                             std::size_t count) {
    std::uint64_t missed[3] = {};  // keys to look up in the table
    bool anyMissed = false;
    const std::string_view* end = ends.begin();
    for (std::size_t i = 0; i < count; ++i, ++end) {
        if (end->size() > kMaxShortName || end->empty()) {
            stations[i] = end->empty() ? kNoEnd : m_index.Find(*end, m_names);
            continue;
        }
        const std::uint64_t key = ShortKey(*end);
        const RecentName& recent = RecentOf(key);
        if (recent.key == key) {
            stations[i] = recent.index;
        } else if (!m_shortNames.empty()) {
            // Fetched together, not one after the other.
            __builtin_prefetch(&m_shortNames[SlotOf(key, m_shortNames.size() - 1)]);
            missed[i] = key;
            anyMissed = true;
        } else {
            stations[i] = -1;
        }
    }
    if (!anyMissed) return;
    for (std::size_t i = 0; i < count; ++i) {
        if (missed[i] != 0) stations[i] = FindShort(missed[i]);
    }
}

int NetworkChecks::Root(int i) {
    while (m_nodes[static_cast<std::size_t>(i)].parent >= 0) {
        int& parent = m_nodes[static_cast<std::size_t>(i)].parent;
        const int grand = m_nodes[static_cast<std::size_t>(parent)].parent;
        if (grand >= 0) parent = grand;  // halves the path
        i = parent;
    }
    return i;
}

void NetworkChecks::CheckHeights(const StationRecord& s, std::vector<FindingDetail>& details) const {
    const std::string name(s.name);
    const int line = s.heightsLine;
    if (s.geoidFrom == HeightOrigin::kDerived) {
        details.push_back(Detail(Finding::kGeoidDerived, line, {name}, ": ",
                                 "N = h - H = " + Metres(s.geoidHeight) + " m"));
    }
    if (s.orthoFrom == HeightOrigin::kDerived) {
        details.push_back(Detail(Finding::kOrthoDerived, line, {name}, ": ",
                                 "H = h - N = " + Metres(s.orthoHeight) + " m"));
    }
    if (s.ellipsoidFrom == HeightOrigin::kDerived &&
        (s.orthoFrom == HeightOrigin::kBlank || s.geoidFrom == HeightOrigin::kBlank)) {
        details.push_back(Detail(Finding::kEllipsoidalFromBlank, line, {name}, ": ",
                                 "h = H + N = " + Metres(s.ellipsoidHeight) + " m"));
    }
    const bool allGiven = s.orthoFrom == HeightOrigin::kGiven &&
                          s.geoidFrom == HeightOrigin::kGiven &&
                          s.ellipsoidFrom == HeightOrigin::kGiven;
    const double misclosure = s.orthoHeight + s.geoidHeight - s.ellipsoidHeight;
    if (allGiven && !(std::fabs(misclosure) <= m_tolerances.height)) {
        details.push_back(Detail(Finding::kHeightsDoNotClose, line, {name}, ": ",
                                 "H + N - h = " + Metres(misclosure) + " m"));
    }
}

int NetworkChecks::Station(const StationRecord& s) {
    StationRecord checked = s;
    m_details.clear();
    if (s.heightsLine == 0) {
        checked.at.findings.Add(s.orthoFrom == HeightOrigin::kBlank ? Finding::kNo86Zero
                                                                      : Finding::kNo86FromElevation);
    } else {
        CheckHeights(s, m_details);
    }
    if (!m_details.empty()) checked.at.findings.Add(&m_details);
    if (IndexOf(s.name) < 0) {
        Point station;
        station.line = s.at.line;
        const double latitude = DmsToDegrees(s.latitude);
        const double longitude = DmsToDegrees(s.longitude);
        station.placed = std::isfinite(latitude) && std::isfinite(longitude) &&
                         std::fabs(latitude) <= 90.0;
        station.heightKnown =
            station.placed && (s.ellipsoidFrom == HeightOrigin::kGiven ||
                               (s.ellipsoidFrom == HeightOrigin::kDerived &&
                                s.orthoFrom == HeightOrigin::kGiven &&
                                s.geoidFrom == HeightOrigin::kGiven));
        if (station.heightKnown) {
            station.xyz = GeodeticToGeocentric(m_ellipsoid, {latitude, longitude, s.ellipsoidHeight});
        }
        m_names.emplace_back(s.name);
        m_stations.push_back(station);
        m_placement.push_back({latitude, longitude, s.ellipsoidHeight});
        m_nodes.emplace_back();
        m_index.Add(m_names);
        IndexShortName(s.name, static_cast<int>(m_stations.size() - 1));
    }
    return m_next->Station(checked);
}

// --- Observations -----------------------------------------------------------------------------

void NetworkChecks::CheckEnds(std::initializer_list<std::string_view> ends,
                              std::vector<FindingDetail>& details, int* stations) {
    if (!m_bFile) return;
    ++m_connections;
    const std::size_t n = std::min<std::size_t>(ends.size(), 3);
    JoinedEnds seen;
    bool keyed = stations == nullptr;
    for (std::size_t k = 0; k < n && keyed; ++k) {
        const std::string_view end = ends.begin()[k];
        keyed = end.size() <= kMaxShortName;
        if (keyed) seen.keys[k] = ShortKey(end);
    }
    JoinedEnds* lately = nullptr;
    if (keyed) {
        const std::uint64_t hash = (seen.keys[0] * 3 + seen.keys[1]) * 5 + seen.keys[2];
        lately = &m_recentJoins[(hash * 0x9E3779B97F4A7C15ull) >> (64 - kJoinsBits)];
        if (*lately == seen) return;  // positioned, observed and joined already
    }
    int own[3] = {kNoEnd, kNoEnd, kNoEnd};
    if (!stations) stations = own;
    IndexAll(ends, stations, n);
    bool unknown = false;
    int joined = -1;
    for (std::size_t k = 0; k < n; ++k) {
        const int i = stations[k];
        if (i >= 0) {
            m_nodes[static_cast<std::size_t>(i)].observed = true;
            Join(i, joined);
        } else if (i == -1) {
            unknown = true;
            const std::string name(ends.begin()[k]);
            FindingDetail d = Detail(Finding::kNoPosition, 0, {name}, ": ", name);
            d.brief.clear();  // the station stands beside it
            details.push_back(std::move(d));
        }
    }
    if (lately && !unknown) *lately = seen;
}

void NetworkChecks::Join(int i, int& joined) {
    int root = Root(i);
    if (joined >= 0 && root != joined) {
        // The smaller part goes under the larger: the trees stay shallow.
        if (m_nodes[static_cast<std::size_t>(root)].parent <
            m_nodes[static_cast<std::size_t>(joined)].parent) {
            std::swap(joined, root);
        }
        m_nodes[static_cast<std::size_t>(joined)].parent += m_nodes[static_cast<std::size_t>(root)].parent;
        m_nodes[static_cast<std::size_t>(root)].parent = joined;
    }
    if (joined < 0) joined = root;
}

template <typename Record, typename... Ends>
int NetworkChecks::Observation(const Record& r, int (BlueBookReceiver::*call)(const Record&),
                               Ends... ends) {
    // A record that is not used (rejected, or not written) connects nothing.
    if (r.at.reject.mark != 0 || r.at.findings.Has(Finding::kNotFinite)) {
        return (m_next->*call)(r);
    }
    m_details.clear();
    CheckEnds({ends...}, m_details);
    if (m_details.empty()) return (m_next->*call)(r);
    Record checked = r;
    checked.at.findings.Add(&m_details);
    return (m_next->*call)(checked);
}

int NetworkChecks::Direction(const DirectionRecord& r) {
    return Observation(r, &BlueBookReceiver::Direction, r.fromStation, r.toStation);
}
int NetworkChecks::HorizontalAngle(const HorizontalAngleRecord& r) {
    return Observation(r, &BlueBookReceiver::HorizontalAngle, r.atStation, r.backsightStation,
                       r.foresightStation);
}
int NetworkChecks::VerticalAngle(const VerticalAngleRecord& r) {
    return Observation(r, &BlueBookReceiver::VerticalAngle, r.fromStation, r.toStation);
}
int NetworkChecks::HeightDifference(const HeightDifferenceRecord& r) {
    return Observation(r, &BlueBookReceiver::HeightDifference, r.fromStation, r.toStation);
}
int NetworkChecks::Distance(const DistanceRecord& r) {
    return Observation(r, &BlueBookReceiver::Distance, r.fromStation, r.toStation);
}
int NetworkChecks::Azimuth(const AzimuthRecord& r) {
    return Observation(r, &BlueBookReceiver::Azimuth, r.fromStation, r.toStation);
}

// --- Vectors ----------------------------------------------------------------------------------

int NetworkChecks::VectorSet(const VectorSetRecord& set) {
    ++m_session;
    m_members.assign(set.members, set.members + set.memberCount);
    m_memberDetails.resize(std::max(m_memberDetails.size(), m_members.size()));
    bool found = false;
    for (std::size_t i = 0; i < m_members.size(); ++i) {
        SetMember& member = m_members[i];
        const int k = member.vector;
        if (k < 1 || k > std::min(set.count, kMaxVectors)) continue;
        const VectorMark& mark = set.marks[k - 1];
        if (mark.reject.mark != 0 || mark.notFinite) continue;  // not used
        std::vector<FindingDetail>& details = m_memberDetails[i];
        details.clear();
        CheckVector(set.vectors[k - 1], member.line, details);
        if (details.empty()) continue;
        member.findings.Add(&details);
        found = true;
    }
    if (!found) return m_next->VectorSet(set);
    VectorSetRecord checked = set;
    checked.members = m_members.data();
    return m_next->VectorSet(checked);
}

void NetworkChecks::CheckVector(const GpsVector& v, int line, std::vector<FindingDetail>& details) {
    int stations[3] = {-1, -1, kNoEnd};
    CheckEnds({v.fromStation, v.toStation}, details, stations);
    const int a = stations[0];
    const int b = stations[1];
    if (a < 0 || b < 0) return;
    if (m_stations[static_cast<std::size_t>(a)].heightKnown &&
        m_stations[static_cast<std::size_t>(b)].heightKnown) {
        CompareWithPositions(v, line, a, b, details);
    }
    CompareWithRepeats(v, line, a, b, details);
}

void NetworkChecks::CompareWithPositions(const GpsVector& v, int line, int a, int b,
                                         std::vector<FindingDetail>& details) {
    const GeocentricXyz positions =
        m_stations[static_cast<std::size_t>(b)].xyz - m_stations[static_cast<std::size_t>(a)].xyz;
    const GeocentricXyz difference{v.dx - positions.x, v.dy - positions.y, v.dz - positions.z};
    VectorComparison c;
    c.total = std::sqrt(difference.x * difference.x + difference.y * difference.y +
                        difference.z * difference.z);
    ++m_vectorsCompared;
    const bool disagrees = !(c.total <= m_tolerances.vector);
    const auto size = [](const VectorComparison& x) { return x.total; };
    if (!disagrees && !AmongLargest(m_largestVectors, c, size)) return;
    c.difference = FrameAt(static_cast<std::size_t>(a)).ToNorthEastUp(difference);
    c.line = line;
    c.from = v.fromStation;
    c.to = v.toStation;
    if (disagrees) {
        details.push_back(Detail(Finding::kVectorDisagrees, 0, {c.from, c.to}, " ",
                                 "by " + Metres(c.total) + " m (N " + Metres(c.difference.north) +
                                     ", E " + Metres(c.difference.east) + ", U " +
                                     Metres(c.difference.up) + ")"));
    }
    KeepLargest(m_largestVectors, std::move(c), size);
}

void NetworkChecks::CompareWithRepeats(const GpsVector& v, int line, int a, int b,
                                       std::vector<FindingDetail>& details) {
    if (a == b) return;
    // Kept from the station of the lower index to the other: a pair's names are read only
    // when it repeats.
    const double sign = a < b ? 1.0 : -1.0;
    const GeocentricXyz xyz{sign * v.dx, sign * v.dy, sign * v.dz};
    const std::uint64_t key = (static_cast<std::uint64_t>(std::min(a, b)) + 1) << 32 |
                              (static_cast<std::uint64_t>(std::max(a, b)) + 1);
    PairEntry& pair = PairOf(key);
    if (pair.key != key) {
        pair.key = key;
        ++m_pairsUsed;
    }
    if (pair.last >= 0) CompareWithEarlier(xyz, line, a, b, pair.last, details);
    m_kept.push_back({line, m_session, xyz, pair.last});
    pair.last = static_cast<int>(m_kept.size() - 1);
}

void NetworkChecks::CompareWithEarlier(const GeocentricXyz& xyz, int line, int a, int b, int last,
                                       std::vector<FindingDetail>& details) {
    // Named from the first of the two stations by name, and compared at it (at the other
    // when it has no position); the differences do not depend on the direction.
    const bool turned = m_names[static_cast<std::size_t>(b)] < m_names[static_cast<std::size_t>(a)];
    const std::size_t first = static_cast<std::size_t>(turned ? b : a);
    const std::size_t second = static_cast<std::size_t>(turned ? a : b);
    const std::size_t at = m_stations[first].placed ? first : second;
    if (!m_stations[at].placed) return;
    const LocalFrame frame = FrameAt(at);
    const double length = std::sqrt(xyz.x * xyz.x + xyz.y * xyz.y + xyz.z * xyz.z);
    const auto size = [](const RepeatComparison& x) { return std::max(x.horizontal, x.vertical); };
    for (int k = last; k >= 0; k = m_kept[static_cast<std::size_t>(k)].earlier) {
        const KeptVector& earlier = m_kept[static_cast<std::size_t>(k)];
        if (earlier.session == m_session) continue;
        const NorthEastUp d =
            frame.ToNorthEastUp({xyz.x - earlier.xyz.x, xyz.y - earlier.xyz.y, xyz.z - earlier.xyz.z});
        RepeatComparison c;
        c.horizontal = std::sqrt(d.north * d.north + d.east * d.east);
        c.vertical = std::fabs(d.up);
        ++m_repeatsCompared;
        const bool differs = !(c.horizontal <= m_tolerances.repeatH + kRepeatPpm * length) ||
                             !(c.vertical <= m_tolerances.repeatV + kRepeatPpm * length);
        if (!differs && !AmongLargest(m_largestRepeats, c, size)) continue;
        c.earlierLine = earlier.line;
        c.line = line;
        c.from = m_names[first];
        c.to = m_names[second];
        if (differs) {
            details.push_back(Detail(
                Finding::kRepeatDiffers, 0, {c.from, c.to}, " ",
                "by " + Metres(c.horizontal) + " m horizontally, " + Metres(c.vertical) +
                    " m vertically (G-file lines " + std::to_string(c.earlierLine) + " and " +
                    std::to_string(c.line) + ")"));
        }
        KeepLargest(m_largestRepeats, std::move(c), size);
    }
}

// --- The network as a whole -------------------------------------------------------------------

NetworkConclusions NetworkChecks::Conclude() {
    NetworkConclusions done;
    done.largestVectors = m_largestVectors;
    done.largestRepeats = m_largestRepeats;
    done.vectorsCompared = m_vectorsCompared;
    done.repeatsCompared = m_repeatsCompared;
    // Without a B-file no station has a position; without observations or vectors there is
    // nothing to connect (a file of control stations only).
    if (!m_bFile || m_connections == 0) return done;
    // Parts of the network: the observed stations by the root of their part.
    std::unordered_map<int, std::vector<std::size_t>> parts;
    std::vector<int> order;  // roots in the order of their first station
    for (std::size_t i = 0; i < m_stations.size(); ++i) {
        if (!m_nodes[i].observed) {
            FindingDetail d =
                Detail(Finding::kNotObserved, m_stations[i].line, {m_names[i]}, ": ", m_names[i]);
            d.brief.clear();  // the station stands beside it
            done.findings.push_back(std::move(d));
            continue;
        }
        const int root = Root(static_cast<int>(i));
        std::vector<std::size_t>& part = parts[root];
        if (part.empty()) order.push_back(root);
        part.push_back(i);
    }
    if (parts.size() < 2) return done;
    // The largest part (the first of the largest) is the network; the others are listed.
    int largest = order.front();
    for (const int root : order) {
        if (parts[root].size() > parts[largest].size()) largest = root;
    }
    // The stations of the smaller parts, the first kPartNamesListed of them named: every
    // occurrence carries the list, so it must not grow with the network.
    std::string smaller;
    std::size_t outside = 0;
    for (const int root : order) {
        if (root == largest) continue;
        for (const std::size_t i : parts[root]) {
            if (outside++ < kPartNamesListed) smaller += (smaller.empty() ? "" : ", ") + m_names[i];
        }
    }
    if (outside > kPartNamesListed) {
        smaller += " and " + std::to_string(outside - kPartNamesListed) + " more";
    }
    // One occurrence per station outside the largest part, each with the whole sentence.
    const std::string parted = "network in " + std::to_string(parts.size()) + " parts";
    for (const int root : order) {
        if (root == largest) continue;
        for (const std::size_t i : parts[root]) {
            done.findings.push_back(
                {Finding::kNetworkParts, m_stations[i].line, {m_names[i]}, parted + ": " + smaller,
                 parted});
        }
    }
    return done;
}
