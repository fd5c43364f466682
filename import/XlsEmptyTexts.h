#pragma once

#include <QString>

// libfreexl refuses a workbook whose shared string table holds a zero-length text, which is how
// our own export (and other writers) store an empty cell. This copies such a workbook to target
// with those texts taken out: cells that showed one become blank, later string numbers and the
// sheets' offsets move up, and the Workbook stream keeps its length (zeros after the end), so
// the compound file around it stays as it was. Returns false when path is not a workbook this
// can repair (then nothing useful is in target).
bool copyWithoutEmptySharedTexts(const QString &path, const QString &target);
