// The G-file reader: GPS vector sets with their correlations or covariances, and station
// positions.
#pragma once

#include "bluebook/InputFile.h"
#include "bluebook/Receiver.h"
#include "bluebook/StationNames.h"

/// Reads the G-file `in` (open, at its start) once, front to back, and hands on each vector set
/// when a D or E record ends with its closing term, each station position as it is read, and
/// every line that is not converted (the records of a set that is never closed are skipped
/// when the next B record or the end of the file discards it). Station fields take their names
/// from `names` (in the NGS reading the serial-number fields also take "*25*" station IDs; the
/// C records' own ID fields never do). In the NGS reading a vector marked rejected (C: column
/// 58, F: column 64) is handed on with its mark. `lineCounter` counts the lines from 0. Returns
/// 0, 1518 on a read error (`lineCounter` at the failing read), 1520 when the file changed
/// while it was read, or the first failure code of `receiver`.
int ReadGFile(InputFile& in, StationNames& names, Reading reading, BlueBookReceiver& receiver,
              int& lineCounter);
