// Generates a large, realistic Blue Book project for the benchmark: a SERFIL file, a B-file with
// every supported record type and a G-file of GPS vector sets with correlation lines.
// Usage: generate_inputs FOLDER [SCALE]   (SCALE 1: a B-file of 1,000,000 lines with 20,000
// stations, a G-file of 50,000 vectors in sets of 2 to 20, a SERFIL file of 2,000 names)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

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
        Record r;
        r.Put(11, Serial(i))
            .Num(45, 11, 30000000000LL + random.Next() % 15000000000LL)
            .Put(56, random.Below(2) ? "N" : "S")
            .Num(57, 12, 100000000000LL + random.Next() % 20000000000LL)
            .Put(69, "W")
            .Num(70, 6, random.Below(300000));
        put(r, "*80*");
    }
    for (int i = 0; i < stations; ++i) {
        Record r;
        r.Put(11, Serial(i)).Num(17, 7, random.Below(3000000)).Num(36, 7, random.Below(50000))
            .Num(46, 7, random.Below(3000000));
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
    while (written < bLines) {
        const std::string from = Serial(random.Below(stations));
        const std::string to = Serial(random.Below(stations));
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
                .Put(72, Serial(random.Below(stations))).Num(76, 4, random.Below(2000));
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
        for (int j = 0; j < n; ++j) {
            Record c;
            c.Put(1, "C").Put(2, Serial(random.Below(stations))).Put(6, Serial(random.Below(stations)))
                .Num(10, 11, random.Next()).Num(21, 5, random.Below(99)).Num(26, 11, random.Next())
                .Num(37, 5, random.Below(99)).Num(42, 11, random.Next()).Num(53, 5, random.Below(99));
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
