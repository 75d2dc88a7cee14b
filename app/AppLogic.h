// The parts of the dialog program that are plain arithmetic and text handling, kept free of
// Win32 so that they build and are tested on every platform.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/ConversionReport.h"

/// The directory part of `source` in `destination`, which is returned: the path trimmed of
/// blanks at both ends and cut after its last backslash or colon; a colon gets a backslash
/// appended ("D:" gives "D:\"); a path with neither gives an empty text.
std::string& GetDirectoryPart(const std::string& source, std::string& destination);

struct ScreenPoint {
    int x;
    int y;
};

/// Top-left corner of an icon of `iconWidth` x `iconHeight` drawn centred in a client area of
/// `clientWidth` x `clientHeight` (the minimised dialog's painting).
ScreenPoint IconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight);

/// The texts the question after a conversion is made of, in the order of their resource ids.
enum class QuestionText {
    kQuestion,         // the sentence around the counts: "The conversion has %s. Show ...?"
    kAnd,              // two counts joined: "%s and %s"
    kNoOtherWarnings,  // no warning beside rejected records
    kOneWarning,
    kWarnings,         // "%s warnings": %s takes the count
    kOneRejected,
    kRejected,         // "%s rejected records"
    kCount
};
using QuestionTexts = std::array<std::string, static_cast<std::size_t>(QuestionText::kCount)>;

/// The question that offers the report of a conversion that deserves a look: the warnings
/// count, joined by the rejected records count when there are any, in kQuestion. Empty when
/// nothing deserves a look.
std::string ReportQuestion(const QuestionTexts& texts, const Attention& attention);

/// The folder a file dialog opens in, with its closing backslash: the folder of `ownPath` (the
/// path in the field the dialog fills), else of the first of `otherPaths` that has one, else
/// `lastFolder`, else `documents`; only a candidate that `isFolder` finds counts. Empty when
/// none does (the dialog then chooses).
std::string InitialFolder(const std::string& ownPath, const std::vector<std::string>& otherPaths,
                          const std::string& lastFolder, const std::string& documents,
                          const std::function<bool(const std::string&)>& isFolder);

/// The dialog's four file fields, in the order of the dialog (and of FieldPaths).
enum PathField { kSerfilField, kBFileField, kGFileField, kOutputField, kPathFieldCount };

/// True when `path` names a file without help from a current folder: a drive letter, a colon
/// and a separator ("C:\", "C:/"), or a UNC name ("\\server\share", "//server/share").
bool IsFullPath(std::string_view path);

/// The four field paths (in PathField order) trimmed, each relative name taken in the folder
/// of the first full path among the B-file, the G-file, the SERFIL file and the output, or in
/// `documents` when none is; `normalize` then makes a name so joined whole (".." and "."
/// folded) and gets no other name. A name that starts with a separator keeps the drive (or
/// UNC share) of that folder; "D:job.txt" becomes "D:\job.txt". With no folder at all
/// (`documents` empty) a name stays as it is.
std::vector<std::string> ResolveFieldPaths(
    const std::vector<std::string>& paths, const std::string& documents,
    const std::function<std::string(const std::string&)>& normalize);

/// Which field a failure message (catalogue `number`, formatted `text`) is about, as a
/// PathField; -1 for none. An output refused (1513, 1519, 1522) is the output's; a job
/// without input (1521) the B-file's; otherwise the field whose path (of `paths`, in PathField
/// order) the text names: the longest that stands in it whole or, where the text was cut,
/// that the text ends with the start of; on a tie, the first.
int FieldOfMessage(int number, const std::string& text, const std::vector<std::string>& paths);

/// The file name of `path` (after its last backslash, slash or colon) without its last
/// extension: "C:\ngs\wa.bfile.txt" gives "wa.bfile", "bfile" gives "bfile".
std::string StemOf(const std::string& path);

/// The output a Save dialog proposes while the output field is empty: "<stem>.txt" beside the
/// B-file, else beside the G-file; "<stem>-tellurax.txt" when "<stem>.txt" would be one of the
/// inputs (`isInput`). Empty when neither file is named.
std::string ProposedOutput(const std::string& bFile, const std::string& gFile,
                           const std::function<bool(const std::string&)>& isInput);

/// The file a conversion report is proposed to be saved in: "<stem>-report.txt" beside the
/// output `output` ("C:\jobs\out.txt" gives "C:\jobs\out-report.txt").
std::string ReportPathFor(const std::string& output);

/// `text` with each line end a CR LF, as edit controls and Windows text files want them: a LF
/// not already preceded by a CR gets one.
std::string WithCrLf(std::string_view text);
