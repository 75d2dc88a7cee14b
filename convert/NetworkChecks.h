// The network checks: what a surveyor checks by hand before an adjustment, done as the records
// pass. NetworkChecks stands between the readers and the other receivers: it hands every record
// on unchanged but for what it found about it, added to its findings:
//   - heights (a "*86*" height derived from the other two, heights that do not close, a station
//     with no "*86*");
//   - connections (an observation or vector end that names a station without a position);
//   - each vector against the difference of its stations' geocentric positions, in north, east
//     and up at its start station;
//   - each vector against the vectors between the same stations in earlier sessions.
// Once everything was read, Conclude tells what concerns the network as a whole: stations no
// observation or vector reaches, a network in more than one part, and the largest differences
// whatever their size.
//
// Positions are those of the B-file's stations (the first "*80*" record of a name) on the job's
// ellipsoid; the connection checks run only for a job with a B-file. Memory grows with the
// stations and the vectors, not with the observations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "bluebook/NameIndex.h"
#include "bluebook/Receiver.h"
#include "common/Geodesy.h"

/// The tolerances of the checks, metres; each must be above 0.
struct CheckTolerances {
    double height = 0.10;   // |H + N - h| of a station whose three heights are written
    double vector = 0.25;   // a vector against its stations' positions, 3-D
    double repeatH = 0.02;  // repeated vectors, horizontally; plus kRepeatPpm of the length
    double repeatV = 0.05;  // repeated vectors, vertically; plus kRepeatPpm of the length
};
/// The part of the repeat tolerances that grows with the vector's length.
constexpr double kRepeatPpm = 1e-6;

/// A length as the checks write it: metres with 3 decimals ("-23.458"), and "0.000" for what
/// rounds to zero, whatever its sign.
std::string Metres(double value);

/// Sets the tolerances `text` names ("height=0.10,vector=0.25,repeat-h=0.02,repeat-v=0.05",
/// any subset, in any order). False (with `error`: what is wrong) for an unknown key, a missing
/// value, or a value that is not a positive number.
bool ParseCheckTolerances(std::string_view text, CheckTolerances& tolerances,
                          std::string& error);

/// A vector compared with its stations' positions: the difference (vector minus positions),
/// 3-D and in north, east, up at its start station.
struct VectorComparison {
    double total = 0.0;
    NorthEastUp difference;
    int line = 0;  // of its C or F record
    std::string from, to;
};
/// Two vectors between the same stations in different sessions: the later minus the earlier
/// (turned to the same direction), horizontally and vertically at the start station.
struct RepeatComparison {
    double horizontal = 0.0, vertical = 0.0;
    int earlierLine = 0, line = 0;
    std::string from, to;
};

/// What the checks concluded once everything was read.
struct NetworkConclusions {
    /// Stations no observation or vector reaches, and the stations of the smaller parts of a
    /// network in more than one part (B-file findings, on their "*80*" lines).
    std::vector<FindingDetail> findings;
    /// The largest differences, largest first, however small: kLargestShown of each.
    std::vector<VectorComparison> largestVectors;
    std::vector<RepeatComparison> largestRepeats;
    std::size_t vectorsCompared = 0;
    std::size_t repeatsCompared = 0;
};
constexpr std::size_t kLargestShown = 5;

class NetworkChecks : public BlueBookReceiver {
public:
    /// Checks with `tolerances`. The ellipsoid is the job's until a datum record gives another:
    /// `semiMajorAxis` metres, `inverseFlattening` (0 for a sphere).
    NetworkChecks(const CheckTolerances& tolerances, double semiMajorAxis,
                  double inverseFlattening);

    /// Hands every record on to `next` from now on.
    void HandOnTo(BlueBookReceiver& next) { m_next = &next; }

    /// The findings about the network as a whole (call once every file was read).
    NetworkConclusions Conclude();

    void BeginFile(BlueBookFile file) override;
    void EndFile(BlueBookFile file, long long lines, bool reachedEnd) override;
    int Serfil(const SerfilEntry& e) override { return m_next->Serfil(e); }
    int Datum(const DatumRecord& d) override;
    int StationId(const StationIdRecord& r) override { return m_next->StationId(r); }
    int StationPart(const ::StationPart& p) override { return m_next->StationPart(p); }
    int Station(const StationRecord& s) override;
    int Direction(const DirectionRecord& r) override;
    int HorizontalAngle(const HorizontalAngleRecord& r) override;
    int VerticalAngle(const VerticalAngleRecord& r) override;
    int HeightDifference(const HeightDifferenceRecord& r) override;
    int Distance(const DistanceRecord& r) override;
    int Azimuth(const AzimuthRecord& r) override;
    int VectorSet(const VectorSetRecord& set) override;
    int Position(const PositionRecord& r) override { return m_next->Position(r); }
    void Skipped(const RecordRef& at, SkipReason reason) override { m_next->Skipped(at, reason); }

private:
    /// A B-file station: the first "*80*" record of its name; one cache line holds two.
    struct Point {
        GeocentricXyz xyz;         // with heightKnown
        int line = 0;
        bool placed = false;       // its latitude and longitude are finite
        bool heightKnown = false;  // its ellipsoidal height was written or derived from H + N
    };
    /// A vector kept to compare the later ones between the same stations with.
    struct KeptVector {
        int line;
        int session;
        GeocentricXyz xyz;  // from the first station of the pair (by index) to the other
        int earlier;        // the vector kept before it between the same stations, -1: none
    };
    /// A pair of stations (their indices, the lower first, as one key; 0: a free entry) and
    /// the last vector kept between them.
    struct PairEntry {
        std::uint64_t key = 0;
        int last = -1;
    };
    /// Whether a station was observed, and its part (union-find: the parent, or minus the
    /// size of the part at its root); one small entry, as every observation end visits it.
    struct Node {
        int parent = -1;
        bool observed = false;
    };

    struct RecentName {
        std::uint64_t key = 0;
        int index = -1;
    };
    /// The index of the station named `name`, or -1 when the B-file has none.
    int IndexOf(std::string_view name);
    /// The indices of the stations `ends` name (-2 for a blank one), the first `count`.
    void IndexAll(std::initializer_list<std::string_view> ends, int* stations, std::size_t count);
    /// Looks a short name up by its key in the table (and remembers it).
    int FindShort(std::uint64_t key);
    RecentName& RecentOf(std::uint64_t key) {
        return m_recent[(key * 0x9E3779B97F4A7C15ull) >> (64 - kRecentBits)];
    }
    /// The part station `i` is in: the root of its tree.
    int Root(int i);
    /// Joins the part of station `i` to the part `joined` (-1: none yet), which becomes the
    /// joined part's root.
    void Join(int i, int& joined);
    /// Adds the findings about the ends of an observation or vector to `details`: a station
    /// without a position; marks the others observed and joins them in one part. With
    /// `stations`, puts there the index of each end (-1: none, -2: blank); without, may pass
    /// over ends it has joined lately.
    void CheckEnds(std::initializer_list<std::string_view> ends, std::vector<FindingDetail>& details,
                   int* stations = nullptr);
    /// An observation record, handed on with what was found about its ends.
    template <typename Record, typename... Ends>
    int Observation(const Record& r, int (BlueBookReceiver::*call)(const Record&), Ends... ends);
    void CheckHeights(const StationRecord& s, std::vector<FindingDetail>& details) const;
    void CheckVector(const GpsVector& v, int line, std::vector<FindingDetail>& details);
    void CompareWithPositions(const GpsVector& v, int line, int a, int b,
                              std::vector<FindingDetail>& details);
    /// The north-east-up frame at station `i` (placed).
    LocalFrame FrameAt(std::size_t i) const {
        return LocalFrame(m_placement[i].latitude, m_placement[i].longitude);
    }
    void CompareWithRepeats(const GpsVector& v, int line, int a, int b,
                            std::vector<FindingDetail>& details);
    /// Compares the vector `xyz` (from the station of the lower index) between stations `a`
    /// and `b` with those kept before it from `last` on, of other sessions.
    void CompareWithEarlier(const GeocentricXyz& xyz, int line, int a, int b, int last,
                            std::vector<FindingDetail>& details);
    /// The entry of the pair `key` in m_pairs, or the free one it takes; grows the table first
    /// to stay at most three quarters full.
    PairEntry& PairOf(std::uint64_t key);

    BlueBookReceiver* m_next = nullptr;
    CheckTolerances m_tolerances;
    Ellipsoid m_ellipsoid;
    bool m_bFile = false;  // a B-file was read: its stations are the positions
    std::size_t m_connections = 0;  // observations and vectors whose ends were checked
    int m_session = 0;     // vector sets handed on so far

    /// Adds station `i` named `name` to the look-up of short names.
    void IndexShortName(std::string_view name, int i);

    std::vector<std::string> m_names;  // of m_stations
    std::vector<Point> m_stations;
    std::vector<GeodeticPosition> m_placement;  // by station, for its frame when one is needed
    NameIndex m_index;  // every name
    // Names of up to 4 bytes (as station fields hold) packed with their station's index into
    // one word each, in an open table small enough to stay in the cache: every observation end
    // is looked up. Longer names are looked up in m_index.
    std::vector<std::uint64_t> m_shortNames;
    std::size_t m_shortUsed = 0;
    static constexpr int kRecentBits = 10;
    RecentName m_recent[1 << kRecentBits];  // names found lately, by a hash of their key
    std::vector<Node> m_nodes;  // by station, kept apart from the points
    // The ends of observations joined lately (the keys of their names), by a hash of them: a
    // set repeats its observations between the same few stations.
    struct JoinedEnds {
        std::uint64_t keys[3] = {};
        bool operator==(const JoinedEnds& o) const {
            return keys[0] == o.keys[0] && keys[1] == o.keys[1] && keys[2] == o.keys[2];
        }
    };
    static constexpr int kJoinsBits = 8;
    JoinedEnds m_recentJoins[1 << kJoinsBits];

    // Vectors between B-file stations, and by the pair of their stations (indices, the lower
    // first) the last one kept.
    std::vector<KeptVector> m_kept;
    std::vector<PairEntry> m_pairs;  // an open table
    std::size_t m_pairsUsed = 0;
    std::vector<VectorComparison> m_largestVectors;
    std::vector<RepeatComparison> m_largestRepeats;
    std::size_t m_vectorsCompared = 0;
    std::size_t m_repeatsCompared = 0;

    // What was found about the record being handed on, and the copies that carry it.
    std::vector<FindingDetail> m_details;
    std::vector<std::vector<FindingDetail>> m_memberDetails;  // by set member
    std::vector<SetMember> m_members;
};
