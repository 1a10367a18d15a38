#pragma once
// The .kzd data file: eight CR LF lines holding one parameter set.
//
//   KZ-C1
//   Vel1,Acc1,Dec1,Position1,PauseTime1
//   Vel1,Acc1,Dec1,PauseTime1              written, never read back
//   Vel2,Acc2,Dec2,Position2,PauseTime2
//   Vel2,Acc2,Dec2,PauseTime2              written, never read back
//   HomingVel,HomingPulse,OffsetVel,HomeOffset
//   SupplyCounter,NoWorkCounter,RestartDelay,RevDir
//   SeparateTimer,MidDetectCounter,TipWorkOffTimer,Sp1
//
// Numbers are plain decimal: no blanks, quotes, plus signs or leading zeros. All 22 fields are written
// whatever the state of the parameter groups.
//
// The reader ignores the line structure and takes the file as a sequence of fields: a field ends at a
// comma or a line end (CR LF, or a lone CR or LF); blanks (spaces, tabs) before a field are skipped; a
// field that begins with a double quote runs to the next double quote, the quotes not being part of it,
// and anything after the closing quote up to the field's end is dropped. A file with all 31 fields on
// one line therefore reads like the 8-line file. Only the first 31 fields are read; whatever follows
// them is ignored.

#include "params/parameter_document.h"
#include "params/parameter_set.h"

#include <QByteArray>
#include <QString>

namespace kz {

inline constexpr auto kDataFileId = "KZ-C1";

// The file's exact bytes for a parameter set.
QByteArray DataFileBytes(const ParameterSet &set);

// Writes set to path, replacing any file there only once the new content is complete: a failure
// (folder missing or read-only, disk full, a value that does not fit its field's width) leaves an
// existing file untouched. Shows no message; on failure, *error (if given) says why.
bool WriteDataFile(const QString &path, const ParameterSet &set, QString *error = nullptr);

// Reads the data file at path into the document's staged copy. 0 on success (the document's
// data-changed flag is cleared); 1 after a message box:
//   - first field not exactly "KZ-C1" (or no field at all): "not a KZ data file", staged copy
//     unchanged;
//   - file cannot be opened or read, or holds fewer than 31 fields: "error while opening", staged
//     copy unchanged;
//   - a field that does not convert: "error while opening"; the fields stored before it keep their
//     new values.
// A 16-bit field reads the number at the start of its text, a text without one giving 0. A 32-bit field
// must be a number as a whole (an empty field is 0). Either fails when the rounded value does not fit
// its width. No accepted range applies here.
int ReadDataFile(const QString &path, ParameterDocument &document);

// What reading a data file gave, without a message shown: the set (starting from base, so that
// a field that does not convert leaves the ones before it stored, as ReadDataFile does in the
// staged copy) and, on failure, what the user is told.
struct DataFileRead {
    enum class Result { Read, NotADataFile, CannotRead };
    Result result = Result::Read;
    ParameterSet set;
    QString message;  // the whole message ReadDataFile would show; empty when read
    bool ok() const { return result == Result::Read; }
};
DataFileRead LoadDataFile(const QString &path, const ParameterSet &base = {});

}  // namespace kz
