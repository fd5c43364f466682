#pragma once

#include <QStringList>

// Each command takes its own arguments (without the command name) and returns the exit code:
// 0 done, 1 failed (one line on stderr), 2 usage error.
namespace ctl {
int runInit(const QStringList &args);
int runPrint(const QStringList &args);
int runCalibrate(const QStringList &args);
int runExport(const QStringList &args);
int runImport(const QStringList &args);

// Prints "waybillctl: <text>" on stderr.
void fail(const QString &text);
} // namespace ctl
