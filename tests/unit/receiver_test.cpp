// What the readers hand on: a receiver that records every call, one table of small files and
// the calls they must give, in order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bluebook/BFile.h"
#include "bluebook/GFile.h"
#include "support/TestSupport.h"

namespace {

/// Records each call as one short text: the call, the line, the record type, what it carried,
/// and in brackets what was found about it (the JSON keys of its findings).
class RecordingReceiver : public BlueBookReceiver {
public:
    std::vector<std::string> calls;
    std::string failOn;  // a call that answers 1517, as a failed write does

    void BeginFile(BlueBookFile) override { calls.push_back("begin"); }
    void EndFile(BlueBookFile, long long lines, bool reachedEnd) override {
        calls.push_back("end " + std::to_string(lines) + (reachedEnd ? " complete" : " stopped"));
    }
    int Datum(const DatumRecord& d) override {
        return Add("datum", d.at, d.found ? std::string(d.name) : "none");
    }
    int StationPart(const ::StationPart& p) override { return Add("part", p.at, p.station); }
    int Station(const StationRecord& s) override { return Add("station", s.at, s.name); }
    int Direction(const DirectionRecord& r) override {
        return Add("direction", r.at, Ends(r.fromStation, r.toStation) + " set " +
                                          std::to_string(r.setNumber));
    }
    int HorizontalAngle(const HorizontalAngleRecord& r) override {
        return Add("angle", r.at, std::string(r.atStation) + " " + Ends(r.backsightStation,
                                                                         r.foresightStation));
    }
    int VerticalAngle(const VerticalAngleRecord& r) override {
        return Add("vertical", r.at, Ends(r.fromStation, r.toStation));
    }
    int HeightDifference(const HeightDifferenceRecord& r) override {
        return Add("height", r.at, Ends(r.fromStation, r.toStation));
    }
    int Distance(const DistanceRecord& r) override {
        return Add("distance", r.at, Ends(r.fromStation, r.toStation) + " " + r.code);
    }
    int Azimuth(const AzimuthRecord& r) override {
        return Add("azimuth", r.at, Ends(r.fromStation, r.toStation));
    }
    int VectorSet(const VectorSetRecord& set) override {
        std::string what = std::to_string(set.count) + " of";
        for (std::size_t i = 0; i < set.memberCount; ++i) {
            what += " " + std::string(1, set.members[i].type) +
                    std::to_string(set.members[i].line) + Found(set.members[i].findings);
        }
        return Add("set", set.at, what);
    }
    int Position(const PositionRecord& r) override { return Add("position", r.at, r.station); }
    void Skipped(const RecordRef& at, SkipReason reason) override {
        Add("skip", at, std::to_string(static_cast<int>(reason)));
    }

private:
    static std::string Ends(std::string_view from, std::string_view to) {
        return std::string(from) + ">" + std::string(to);
    }
    static std::string Found(const Findings& found) {
        if (!found.Any()) return "";
        std::string text = " [";
        found.ForEach([&](Finding f) { text += std::string(text.size() > 2 ? " " : "") + InfoOf(f).key; });
        if (!found.Station().empty()) text += " " + std::string(found.Station());
        return text + "]";
    }
    int Add(const std::string& call, const RecordRef& at, std::string_view what) {
        calls.push_back(call + " " + std::to_string(at.line) + " " + std::string(at.type) + " " +
                        std::string(what) + Found(at.findings));
        return call == failOn ? 1517 : 0;
    }
};

struct Case {
    const char* what;
    Reading reading;
    bool gFile;
    std::string text;
    std::string failOn;
    int result;
    std::vector<std::string> calls;
};

// Reasons: 0 unsupported type, 2 other set, 3 no earlier station, 4 later datum, 7 set never
// closed, 8 beyond the vector count.
const Case kCases[] = {
    {"B-file: datum, stations, observations, in their passes",
     Reading::kClassic,
     false,
     "000010*13*NAD 83         \n"
     "000020*80*0001\n"
     "000030*86*0009\n"
     "000040*80*0001\n"
     "00005R*20*000101                                  0002\n"
     "000060*22*000102                                  0003\n"
     "000070*52*0001                               0002              012345678E\n"
     "000080*13*OTHER\n"
     "000090*AA*\n",
     "",
     0,
     {"begin", "datum 1 *13* NAD 83", "part 2 *80* 0001", "skip 3 *86* 3",
      "part 4 *80* 0001 [duplicate-station 0001]", "station 2 *80* 0001", "station 4 *80* 0001",
      "direction 5 *20* 0001>0002 set 1 [rejected-mark]", "skip 6 *22* 2",
      "distance 7 *52* 0001>0002 E", "skip 8 *13* 4", "skip 9 *AA* 0", "end 9 complete"}},
    {"B-file: a failed write stops the reader where it stands",
     Reading::kClassic,
     false,
     "000010*80*0001\n"
     "000020*20*000101                                  0002\n"
     "000030*20*000101                                  0003\n",
     "direction",
     1517,
     {"begin", "datum 0  none", "part 1 *80* 0001", "station 1 *80* 0001",
      "direction 2 *20* 0001>0002 set 1", "end 2 stopped"}},
    {"G-file: a set handed on with its records, a discarded one, a position",
     Reading::kClassic,
     true,
     "AHEADER\n"
     "B                        02\n"
     "C00010002    1234   00012\n"
     "D  1  2  1000000  5  6  1000000\n"
     "G    0003\n"
     "B                        01\n"
     "C00040005\n"
     "F00050006\n"
     "D  2  3  1000000\n"
     "B                        01\n"
     "C00060007\n",
     "",
     0,
     {"begin", "skip 1 A 0", "set 4 D 2 of B2 C3 [digits-then-blanks] [set-short]",
      "position 5 G 0003", "set 9 D 1 of B6 C7", "skip 8 F 8", "skip 10 B 7", "skip 11 C 7",
      "end 11 complete"}},
};

TEST(Readers, HandOnWhatTheyReadInFileOrder) {
    for (const Case& c : kCases) {
        TempDir dir;
        WriteFile(dir / "input", c.text);
        InputFile in;
        ASSERT_TRUE(in.Open(dir / "input"));
        RecordingReceiver receiver;
        receiver.failOn = c.failOn;
        StationNames names;
        int lineCounter = 0;
        const int result = c.gFile ? ReadGFile(in, names, c.reading, receiver, lineCounter)
                                   : ReadBFile(in, names, c.reading, receiver, lineCounter);
        EXPECT_EQ(result, c.result) << c.what;
        EXPECT_EQ(receiver.calls, c.calls) << c.what;
    }
}

}  // namespace
