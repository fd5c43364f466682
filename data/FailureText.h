#pragma once

// What a clerk reads when a file or the database fails: in Chinese, what happened, to which file
// and what to do, followed in brackets by the system's own text for support. No widgets here:
// the windows, waybillctl and the writers all call it.

#include <QString>

class QFileDevice;

namespace failures {

// A failed database call on the file at path. code is SQLite's (extended) result code,
// systemErrno the errno behind an I/O failure (0 when there is none).
QString databaseText(int code, const QString &systemText, const QString &path, int systemErrno = 0);

// A failed file operation. action says what was being done, as in "无法" + action
// ("写入备份文件", "读取文件"). errnoValue is 0 when unknown; the system text is then matched
// against the system's own messages to find the cause.
QString fileText(const QString &action, const QString &path, int errnoValue, const QString &systemText);
// The same from a file object after a failed call: its name and its error text.
QString fileText(const QString &action, const QFileDevice &file);

// A file at path that could not be written, with the writer's own text (which may give no
// reason, as Qt's PDF writer and a failed flush do): when that text names no cause, the place
// is looked at again (folder missing or not writable, disk full).
QString writeText(const QString &action, const QString &path, const QString &writerText);
// A PDF file that could not be written.
QString pdfText(const QString &path);

// A message of its own fixed first line ("数据备份失败，请重试！") and the reason on the second.
QString withReason(const QString &headline, const QString &reason);

// For error texts built elsewhere that end in a system message ("无法写入 X: No space left on
// device"): the cause in Chinese and what to do, with the system text in brackets. Texts with no
// system message it knows come back unchanged.
QString explain(const QString &text);

// Removes the database key from a text that is shown or logged.
QString withoutKey(QString text);

} // namespace failures
