// A receiver that writes a file of its own beside the TELLURAX output, such as a map of the
// network: it takes what the readers hand on as it comes, and completes its file once every
// input was read, when the job's account knows what was found about the network as a whole.
#pragma once

#include "bluebook/Receiver.h"
#include "output/OutputFile.h"

class ConversionReport;

class MapWriter : public BlueBookReceiver {
public:
    /// Completes the file. `report` is the job's account once every file was read (null:
    /// none): what it concluded about stations rides with their points. Returns 0, or 1517
    /// when any write failed. Later calls write nothing.
    virtual int Finish(const ConversionReport* report) = 0;
};
