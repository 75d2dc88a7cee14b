// Result codes: every reader and writer reports through an int, 0 for success or the number of
// the catalogue message that describes its failure. The job turns them into messages.
#pragma once

constexpr int kResultOk = 0;
constexpr int kMsgOutOfMemory = 1501;        // "Unable to allocate the required memory"
constexpr int kMsgEnterOutputName = 1513;    // "Please enter a 'TELLURAX' File name"
constexpr int kMsgFileDoesNotExist = 1514;   // "File does not exist %s"
constexpr int kMsgCannotOpen = 1516;         // "Cannot open file %s"
constexpr int kMsgWriteError = 1517;         // "File write error %s"
constexpr int kMsgReadError = 1518;          // "File read error on line %d - %s"
constexpr int kMsgOutputIsInput = 1519;      // "Output file %s is also an input file"
constexpr int kMsgInputChanged = 1520;       // "File %s changed while it was being read"
constexpr int kMsgEnterInputName = 1521;     // "Please enter a Blue Book 'B' File or 'G' File name"
constexpr int kMsgTwoOutputs = 1522;         // "File %s is named for two outputs"
constexpr int kMsgNotHorizontal = 1523;      // "File %s is a %s Blue Book file; only ..."
constexpr int kMsgWrongKind = 1524;          // "File %s looks like a Blue Book %s, not a %s"
constexpr int kMsgCannotMakeTemporary = 1525;  // "Cannot create a temporary file in %s"
constexpr int kMsgSuccess = 1601;            // "Success - the results are in %s"
