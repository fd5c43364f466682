#pragma once

// The command line of waybill. Without options the program works on data.mdb in the folder it
// is started from; the desktop menu starts it with --user-data.

#include <QString>
#include <QStringList>

struct StartOptions
{
    bool help = false;
    bool version = false;
    bool userData = false; // --user-data: the user's own data folder, made on the first start
    QString dataFolder;    // --data-dir DIR
    QString error;         // a usage error, in Chinese; empty when the line is good

    // args without the program name, after Qt took its own options out.
    static StartOptions parse(const QStringList &args);
    // The text of --help.
    static QString usage();
};
