// B-file datum and station records. (Being built: for now only the header is written.)
#include "bluebook/InputFile.h"
#include "convert/BlueBookConverter.h"
#include "output/OutputFile.h"

void BlueBookConverter::ConvertBFile(InputFile& bFile, OutputFile& out, int& lineCounter,
                                     int& result) {
    (void)bFile;
    lineCounter = 0;
    result = 0;
    m_recordComment.clear();
    WriteHeader(out, result);
}
