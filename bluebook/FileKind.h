// Which kind of Blue Book file a file looks like, from its first significant lines, so that a
// file named in the wrong field (a G-file as the B-file, the two swapped) or a Blue Book file of
// another survey kind (vertical, gravity) is refused before anything is written.
//
// Each significant line (blank and "!" lines are passed over, as the readers do) counts as at
// most one kind, in columns as written (leading blanks kept):
//   - a B-file record: "*NN*" (two letters or digits between asterisks) in columns 7 to 10, or
//     as the first four non-blank characters of a line whose columns 1 to 6 are blank;
//   - else a SERFIL line: columns 5 to 7 blank, and something in columns 8 to 11;
//   - else a G-file record: a letter A to I in column 1.
#pragma once

#include <string>

#include "bluebook/InputFile.h"
#include "bluebook/Records.h"

/// Significant lines that decide a file's kind.
constexpr int kKindLines = 100;

/// What the first kKindLines significant lines of a file hold.
struct FileKindCount {
    int bRecords = 0;
    int gRecords = 0;
    int serfilLines = 0;
    std::string firstBType;     // the first B-file record's type ("*AA*"); empty when none
    std::string firstBHeading;  // its columns 11 to 17 (the survey kind, "HZTLOBS"), trimmed
    int linesRead = 0;          // physical lines, the failing read of a read error included

    int Of(BlueBookFile kind) const;
};

/// Counts the kinds of the first kKindLines significant lines of `in` (open, at its start),
/// then turns it back to its start. Returns 0, or 1518 on a read error or a failed rewind.
int CountFileKinds(InputFile& in, FileKindCount& count);

/// Whether a file whose lines are `count` may be converted as `field`: 0; 1524 when it holds
/// none of the records of `field` and some of another kind (`found`: FileKindName of the kind
/// it holds most of); 1523 when `field` is the B-file and its first record is of a vertical or
/// gravity survey ("*ZZ*", or "VERTOBS" or "GRAVOBS" in columns 11 to 17; `found`: those
/// columns, or the record type when they are blank). A file with no record of any kind passes.
int CheckFileKind(const FileKindCount& count, BlueBookFile field, std::string& found);

/// How messages name a kind of file: "'B' File", "'G' File", "'SERFIL' File".
const char* FileKindName(BlueBookFile kind);
