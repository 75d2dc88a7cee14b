// Generates a large, realistic Blue Book project for the benchmark: a SERFIL file, a B-file with
// every supported record type and a G-file of GPS vector sets with correlation lines.
// Usage: generate_inputs FOLDER [SCALE]   (SCALE 1: a B-file of 1,000,000 lines with 20,000
// stations, a G-file of 50,000 vectors in sets of 2 to 20, a SERFIL file of 2,000 names)
// As in a real project, the stations lie on a rough grid over one degree of latitude and
// longitude, their heights close (h = H + N within millimetres), observations come as a traverse
// does (from each occupied station 10 to 40 records to a few of its neighbours, the next station
// occupied being one of them), and each vector is the difference of its stations' positions
// within millimetres; the values of each record are otherwise random.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/Geodesy.h"

namespace {

/// A fixed-column record of 80 blanks; fields are placed at 1-based columns.
class Record {
public:
    explicit Record(std::size_t width = 80) : text_(width, ' ') {}
    Record& Put(int column, const std::string& value) {
        text_.replace(static_cast<std::size_t>(column - 1), value.size(), value);
        return *this;
    }
    /// A number right-aligned in `width` columns, zero-padded.
    Record& Num(int column, int width, long long value) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%0*lld", width, value < 0 ? -value : value);
        return Put(column, buffer);
    }
    /// A signed number right-aligned in `width` columns.
    Record& Signed(int column, int width, long long value) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%*lld", width, value);
        return Put(column, buffer);
    }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

/// Deterministic pseudo-random numbers (a 64-bit linear congruential generator).
class Random {
public:
    std::uint32_t Next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(state_ >> 33);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }

private:
    std::uint64_t state_ = 20261208;
};

/// `degrees` as a packed angle of the B-file's "*80*" fields (DDDMMSSsssss), unsigned.
long long PackedDms(double degrees) {
    degrees = std::fabs(degrees);
    const long long units = std::llround(degrees * 3600.0 * 100000.0);  // 0.00001 arc seconds
    const long long seconds = units % (60 * 100000);
    const long long minutes = (units / (60 * 100000)) % 60;
    const long long whole = units / (3600LL * 100000);
    return (whole * 100 + minutes) * 10000000 + seconds;
}

/// A station of the grid: position (degrees, ellipsoidal height metres) and geocentric X, Y, Z.
struct Site {
    double latitude, longitude, height;
    GeocentricXyz xyz;
};

/// Station serial number i as four characters: 0000 to 9999, then letters and digits.
std::string Serial(int i) {
    static const char* digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string s(4, '0');
    for (int k = 3; k >= 0; --k) {
        s[static_cast<std::size_t>(k)] = digits[i % 36];
        i /= 36;
    }
    return s;
}

void WriteLine(std::FILE* f, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fwrite("\r\n", 1, 2, f);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: generate_inputs FOLDER [SCALE]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const double scale = argc > 2 ? std::atof(argv[2]) : 1.0;
    const int stations = static_cast<int>(20000 * scale);
    const long long bLines = static_cast<long long>(1000000 * scale);
    const int vectors = static_cast<int>(50000 * scale);
    const int names = 2000;
    Random random;
    const int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(stations))));
    Ellipsoid grs80;
    MakeEllipsoid(6378137.0, 298.2572221, grs80);
    std::vector<Site> sites(static_cast<std::size_t>(stations));
    auto neighbour = [&](int i) {  // a station near station i on the grid
        const int step[] = {1, -1, 2, -2, columns, -columns, columns + 1, -columns - 1};
        const int j = i + step[random.Below(8)];
        return j < 0 || j >= stations ? (i + 1) % stations : j;
    };

    // SERFIL: names for the first 2,000 serial numbers.
    std::FILE* serfil = std::fopen((folder + "/serfil").c_str(), "wb");
    for (int i = 0; i < names; ++i) {
        Record r(60);
        r.Put(1, "N" + Serial(i).substr(1)).Put(8, Serial(i)).Put(13, "STATION " + Serial(i));
        WriteLine(serfil, r.Text());
    }
    std::fclose(serfil);

    // B-file: datum, stations with heights and deflections, then observations of every type.
    std::FILE* b = std::fopen((folder + "/bfile").c_str(), "wb");
    long long sequence = 0;
    long long written = 0;
    auto put = [&](Record& r, const char* type) {
        r.Num(1, 6, (++sequence * 10) % 1000000).Put(7, type);
        WriteLine(b, r.Text());
        ++written;
    };
    {
        Record r;
        r.Put(11, "NAD 83(2011)").Num(51, 10, 6378137000LL).Num(61, 10, 2982572221LL);
        put(r, "*13*");
    }
    for (int i = 0; i < stations; ++i) {
        Site& site = sites[static_cast<std::size_t>(i)];
        site.latitude = 35.0 + (i / columns + random.Below(1000) / 1000.0) / columns;
        site.longitude = -112.0 + (i % columns + random.Below(1000) / 1000.0) / columns;
        Record r;
        r.Put(11, Serial(i))
            .Num(45, 11, PackedDms(site.latitude))
            .Put(56, "N")
            .Num(57, 12, PackedDms(site.longitude))
            .Put(69, "W")
            .Num(70, 6, random.Below(300000));
        put(r, "*80*");
    }
    for (int i = 0; i < stations; ++i) {
        // Heights in millimetres, closing within 2 mm.
        const int ortho = random.Below(3000000);
        const int geoid = 10000 + random.Below(20000);  // N from -10 to -30 m
        const int ellipsoid = ortho - geoid + random.Below(5) - 2;
        Site& site = sites[static_cast<std::size_t>(i)];
        site.height = ellipsoid / 1000.0;
        // The position the B-file gives, as the converter reads it back.
        const double latitude = std::floor(site.latitude * 3600e5 + 0.5) / 3600e5;
        const double longitude = -std::floor(-site.longitude * 3600e5 + 0.5) / 3600e5;
        site.xyz = GeodeticToGeocentric(grs80, {latitude, longitude, site.height});
        Record r;
        r.Put(11, Serial(i)).Num(17, 7, ortho).Signed(36, 7, -geoid).Signed(46, 7, ellipsoid);
        put(r, "*86*");
        if (i % 4 == 0) {
            Record d;
            d.Put(11, Serial(i)).Num(63, 5, random.Below(2000)).Put(68, "S")
                .Num(69, 3, random.Below(100)).Num(72, 5, random.Below(2000)).Put(77, "E")
                .Num(78, 3, random.Below(100));
            put(d, "*85*");
        }
    }
    static const char* kTypes[] = {"*20*", "*22*", "*30*", "*32*", "*40*", "*42*", "*45*",
                                   "*50*", "*51*", "*52*", "*53*", "*54*", "*60*", "*61*"};
    int set = 1;
    int occupied = random.Below(stations);  // the station the instrument stands on
    int runLeft = 0;                         // observations still to come from it
    int targets[4] = {};                     // the stations it observes
    while (written < bLines) {
        if (runLeft-- <= 0) {
            occupied = random.Below(50) == 0 ? random.Below(stations) : neighbour(occupied);
            runLeft = 10 + random.Below(31);
            for (int& t : targets) t = neighbour(occupied);
        }
        const std::string from = Serial(occupied);
        const std::string to = Serial(targets[random.Below(4)]);
        const std::string type = kTypes[random.Below(14)];
        Record r;
        r.Put(11, from);
        if (type == "*20*" || type == "*30*" || type == "*40*") set = 1 + random.Below(99);
        if (type[1] == '2' || type[1] == '3' || type[1] == '4' || type[1] == '6') {
            r.Num(15, 2, set);
        }
        if (type == "*50*" || type == "*51*" || type == "*52*" || type == "*53*" ||
            type == "*54*") {
            r.Num(26, 4, random.Below(2000)).Put(46, to).Num(50, 4, random.Below(2000));
            if (type == "*53*" || type == "*54*") {
                r.Num(64, 10, random.Below(2000000000)).Put(74, type == "*54*" ? "E" : "S")
                    .Num(75, 3, random.Below(999)).Num(78, 3, random.Below(999));
            } else {
                static const char* codes = "SHTEXs";
                r.Num(64, 9, random.Below(999999999)).Put(73, std::string(1, codes[random.Below(6)]))
                    .Num(74, 3, random.Below(999)).Num(77, 4, random.Below(9999));
            }
        } else if (type == "*30*" || type == "*32*") {
            r.Num(36, 4, random.Below(2000)).Put(51, to).Num(64, 8, random.Below(35959599))
                .Put(72, Serial(targets[random.Below(4)])).Num(76, 4, random.Below(2000));
        } else if (type == "*45*") {
            r.Num(36, 3, random.Below(30)).Put(51, to).Num(64, 9, random.Below(999999999))
                .Num(73, 4, random.Below(9999)).Num(77, 4, random.Below(9999));
        } else {
            r.Num(36, 4, random.Below(2000)).Put(51, to).Num(55, 4, random.Below(2000));
            if (type == "*20*" || type == "*22*") {
                r.Num(64, 9, random.Below(359595999)).Num(73, 4, random.Below(999))
                    .Num(77, 4, random.Below(999));
            } else {
                static const char* codes = "EDSN ";
                r.Num(64, 8, random.Below(35959599)).Put(72, std::string(1, codes[random.Below(5)]))
                    .Num(73, 4, random.Below(999)).Num(77, 4, random.Below(999));
            }
        }
        put(r, type.c_str());
        if (written % 5000 == 0) {
            WriteLine(b, "! a comment line between the records");
            ++written;
        }
    }
    std::fclose(b);

    // G-file: vector sets of 2 to 20 vectors, each with its correlation terms (own block and the
    // next two vectors'), and now and then a station position.
    std::FILE* g = std::fopen((folder + "/gfile").c_str(), "wb");
    WriteLine(g, "AXX2009 5252010 618");
    int done = 0;
    while (done < vectors) {
        int n = 2 + random.Below(19);
        if (n > vectors - done) n = vectors - done < 2 ? 2 : vectors - done;
        Record head;
        head.Put(1, "B2009 525 0 02009 525").Num(26, 2, n);
        WriteLine(g, head.Text());
        const int hub = random.Below(stations);  // a session's receivers stand close together
        for (int j = 0; j < n; ++j) {
            const int a = j == 0 ? hub : neighbour(hub);
            const int z = neighbour(a);
            const GeocentricXyz d = sites[static_cast<std::size_t>(z)].xyz -
                                    sites[static_cast<std::size_t>(a)].xyz;
            auto component = [&](double metres) {  // 0.1 mm units, within a few millimetres
                return std::llround(metres * 1e4) + random.Below(41) - 20;
            };
            Record c;
            c.Put(1, "C").Put(2, Serial(a)).Put(6, Serial(z));
            c.Signed(10, 11, component(d.x)).Num(21, 5, random.Below(99))
                .Signed(26, 11, component(d.y)).Num(37, 5, random.Below(99))
                .Signed(42, 11, component(d.z)).Num(53, 5, random.Below(99));
            WriteLine(g, c.Text());
        }
        Record d;
        int terms = 0;
        auto term = [&](int row, int column) {
            d.Put(1, "D").Num(2 + 15 * terms, 3, row).Num(5 + 15 * terms, 3, column)
                .Num(8 + 15 * terms, 9, random.Below(9999999));
            if (++terms == 5) {
                WriteLine(g, d.Text());
                d = Record();
                terms = 0;
            }
        };
        for (int row = 1; row <= 3 * n; ++row) {
            for (int column = row + 1; column <= 3 * n; ++column) {
                if ((column - 1) / 3 - (row - 1) / 3 <= 2) term(row, column);
            }
        }
        if (terms > 0) WriteLine(g, d.Text());
        if (random.Below(10) == 0) {
            Record p;
            p.Put(1, "G").Put(6, Serial(random.Below(stations))).Num(22, 12, random.Next())
                .Num(35, 12, random.Next()).Num(48, 12, random.Next()).Num(61, 4, 12)
                .Num(66, 4, 13).Num(71, 4, 14);
            WriteLine(g, p.Text());
        }
        done += n;
    }
    std::fclose(g);
    return 0;
}
