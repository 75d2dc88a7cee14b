// The receiver of what a Blue Book reader reads. A reader hands every record on in file order,
// one call per thing read, each with its place and everything found about it (its warnings and
// notes ride in RecordRef::findings; a vector set's records each in their SetMember); whatever
// consumes Blue Book data (an output writer, an account of the conversion) implements the calls
// it needs. A call that returns a result code above 0 (a failed write) stops the reader, which
// then returns that code.
#pragma once

#include <string_view>
#include <utility>
#include <vector>

#include "bluebook/Records.h"

class BlueBookReceiver {
public:
    virtual ~BlueBookReceiver() = default;

    /// A reader starts reading `file`, and has read it (`lines` significant lines; `reachedEnd`
    /// false when it stopped on a failure).
    virtual void BeginFile(BlueBookFile /*file*/) {}
    virtual void EndFile(BlueBookFile /*file*/, long long /*lines*/, bool /*reachedEnd*/) {}

    virtual int Serfil(const SerfilEntry&) { return 0; }
    virtual int Datum(const DatumRecord&) { return 0; }
    virtual int StationId(const StationIdRecord&) { return 0; }
    virtual int StationPart(const StationPart&) { return 0; }
    virtual int Station(const StationRecord&) { return 0; }
    virtual int Direction(const DirectionRecord&) { return 0; }
    virtual int HorizontalAngle(const HorizontalAngleRecord&) { return 0; }
    virtual int VerticalAngle(const VerticalAngleRecord&) { return 0; }
    virtual int HeightDifference(const HeightDifferenceRecord&) { return 0; }
    virtual int Distance(const DistanceRecord&) { return 0; }
    virtual int Azimuth(const AzimuthRecord&) { return 0; }
    virtual int VectorSet(const VectorSetRecord&) { return 0; }
    virtual int Position(const PositionRecord&) { return 0; }

    /// A significant line that was not converted, and why.
    virtual void Skipped(const RecordRef&, SkipReason) {}
};

/// Hands every call on to several receivers in turn; a failing one stops the rest.
class ReceiverFan : public BlueBookReceiver {
public:
    explicit ReceiverFan(std::vector<BlueBookReceiver*> receivers)
        : m_receivers(std::move(receivers)) {}

    void BeginFile(BlueBookFile file) override {
        for (BlueBookReceiver* r : m_receivers) r->BeginFile(file);
    }
    void EndFile(BlueBookFile file, long long lines, bool reachedEnd) override {
        for (BlueBookReceiver* r : m_receivers) r->EndFile(file, lines, reachedEnd);
    }
    int Serfil(const SerfilEntry& e) override { return Each(&BlueBookReceiver::Serfil, e); }
    int Datum(const DatumRecord& d) override { return Each(&BlueBookReceiver::Datum, d); }
    int StationId(const StationIdRecord& r) override {
        return Each(&BlueBookReceiver::StationId, r);
    }
    int StationPart(const ::StationPart& p) override {
        return Each(&BlueBookReceiver::StationPart, p);
    }
    int Station(const StationRecord& s) override { return Each(&BlueBookReceiver::Station, s); }
    int Direction(const DirectionRecord& r) override {
        return Each(&BlueBookReceiver::Direction, r);
    }
    int HorizontalAngle(const HorizontalAngleRecord& r) override {
        return Each(&BlueBookReceiver::HorizontalAngle, r);
    }
    int VerticalAngle(const VerticalAngleRecord& r) override {
        return Each(&BlueBookReceiver::VerticalAngle, r);
    }
    int HeightDifference(const HeightDifferenceRecord& r) override {
        return Each(&BlueBookReceiver::HeightDifference, r);
    }
    int Distance(const DistanceRecord& r) override { return Each(&BlueBookReceiver::Distance, r); }
    int Azimuth(const AzimuthRecord& r) override { return Each(&BlueBookReceiver::Azimuth, r); }
    int VectorSet(const VectorSetRecord& r) override {
        return Each(&BlueBookReceiver::VectorSet, r);
    }
    int Position(const PositionRecord& r) override { return Each(&BlueBookReceiver::Position, r); }
    void Skipped(const RecordRef& at, SkipReason reason) override {
        for (BlueBookReceiver* r : m_receivers) r->Skipped(at, reason);
    }

private:
    template <typename Record>
    int Each(int (BlueBookReceiver::*call)(const Record&), const Record& record) {
        for (BlueBookReceiver* r : m_receivers) {
            if (const int result = (r->*call)(record); result > 0) return result;
        }
        return 0;
    }

    std::vector<BlueBookReceiver*> m_receivers;
};
