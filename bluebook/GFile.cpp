// G-file GPS vector sets and station positions. (Being built: converts nothing yet.)
#include "bluebook/InputFile.h"
#include "convert/BlueBookConverter.h"
#include "output/OutputFile.h"

void BlueBookConverter::ConvertGFile(InputFile& gFile, OutputFile& out, int& lineCounter,
                                     int& result) {
    (void)gFile;
    (void)out;
    lineCounter = 0;
    result = 0;
}
