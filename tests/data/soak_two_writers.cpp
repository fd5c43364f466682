// Two processes add, modify and delete recipients in one data.mdb through the program's own data
// layer, with random pauses, for a bounded time. Each logs what it was told succeeded. Afterwards
// the file must pass integrity_check, and the logs must explain the file exactly:
// - every acknowledged add is there unless an acknowledged delete removed it;
// - the acknowledged modifies of a row form one chain from the added address (each one read
//   the address the one before wrote), ending at the address the file holds: no write was lost
//   and none was made by a writer that had not read the row's current values;
// - an acknowledged delete read the row's last address.
// Usage: soak_two_writers [SECONDS]   (a writer runs as: soak_two_writers --writer N DB LOG SECONDS)

#include "data/Database.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <cstdio>

namespace {

int runWriter(int id, const QString &path, const QString &logPath, int seconds)
{
    QFile logFile(logPath);
    if (!logFile.open(QIODevice::WriteOnly | QIODevice::Text))
        return 3;
    QTextStream log(&logFile);
    db::Connection connection;
    connection.setPath(path);
    db::Dataset ds;
    ds.setConnection(&connection);
    ds.setSql(QStringLiteral("select * from inrxx"));
    ds.open();
    const int name = ds.fieldIndex(QStringLiteral("收件人姓名"));
    const int address = ds.fieldIndex(QStringLiteral("收件地址"));
    QRandomGenerator random(quint32(id * 7919 + 17));
    QDeadlineTimer deadline(seconds * 1000);
    int seq = 0;
    while (!deadline.hasExpired()) {
        QThread::usleep(random.bounded(20000));
        const int choice = random.bounded(100);
        try {
            if (choice < 5) {
                ds.refresh(); // now and then see the other's work
            } else if (choice < 40 || ds.recordCount() == 0) {
                const QString n = QStringLiteral("w%1-%2").arg(id).arg(++seq);
                const QString a = QStringLiteral("a-w%1-%2").arg(id).arg(seq);
                ds.append();
                ds.setFieldText(QStringLiteral("收件人姓名"), n);
                ds.setFieldText(QStringLiteral("收件地址"), a);
                ds.setFieldText(QStringLiteral("手机号码"), QStringLiteral("13800000000"));
                ds.post();
                log << "A\t" << n << '\t' << a << '\n';
            } else {
                const int row = random.bounded(ds.recordCount());
                ds.setCurrentRow(row);
                const QString n = ds.value(row, name), read = ds.value(row, address);
                if (choice < 75) {
                    const QString a = QStringLiteral("m-w%1-%2").arg(id).arg(++seq);
                    ds.edit();
                    ds.setFieldText(QStringLiteral("收件地址"), a);
                    ds.post();
                    log << "M\t" << n << '\t' << read << '\t' << a << '\n';
                } else {
                    ds.deleteCurrent();
                    log << "D\t" << n << '\t' << read << '\n';
                }
            }
        } catch (const db::RowChangedError &) {
            log << "C\n";
        }
        log.flush();
    }
    return 0;
}

struct Row
{
    QString added;
    QHash<QString, QString> modifies; // read address -> written address
    int modifyCount = 0;
    QStringList deletesRead;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 6 && args.at(1) == QLatin1String("--writer")) {
        try {
            return runWriter(args.at(2).toInt(), args.at(3), args.at(4), args.at(5).toInt());
        } catch (const std::exception &e) {
            std::fprintf(stderr, "writer %s: %s\n", qPrintable(args.at(2)), e.what());
            return 4;
        }
    }
    const int seconds = args.size() > 1 ? args.at(1).toInt() : 15;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.mdb"));
    db::createDatabase(path);

    QProcess writers[2];
    for (int i = 0; i < 2; ++i) {
        writers[i].setProcessChannelMode(QProcess::ForwardedChannels);
        writers[i].start(app.applicationFilePath(), {QStringLiteral("--writer"), QString::number(i + 1), path,
                                                     dir.filePath(QStringLiteral("w%1.log").arg(i + 1)),
                                                     QString::number(seconds)});
    }
    bool ok = true;
    for (QProcess &w : writers) {
        if (!w.waitForFinished((seconds + 60) * 1000) || w.exitCode() != 0) {
            std::fprintf(stderr, "a writer failed\n");
            ok = false;
        }
    }

    QHash<QString, Row> rows;
    int adds = 0, modifies = 0, deletes = 0, conflicts = 0;
    for (int i = 1; i <= 2; ++i) {
        QFile f(dir.filePath(QStringLiteral("w%1.log").arg(i)));
        f.open(QIODevice::ReadOnly | QIODevice::Text);
        while (!f.atEnd()) {
            const QStringList p = QString::fromUtf8(f.readLine()).chopped(1).split(QLatin1Char('\t'));
            if (p.at(0) == QLatin1String("A")) {
                rows[p.at(1)].added = p.at(2);
                ++adds;
            } else if (p.at(0) == QLatin1String("M")) {
                Row &r = rows[p.at(1)];
                if (r.modifies.contains(p.at(2))) {
                    std::fprintf(stderr, "two modifies of %s read the same address %s: one was lost\n",
                                 qPrintable(p.at(1)), qPrintable(p.at(2)));
                    ok = false;
                }
                r.modifies.insert(p.at(2), p.at(3));
                ++r.modifyCount;
                ++modifies;
            } else if (p.at(0) == QLatin1String("D")) {
                rows[p.at(1)].deletesRead << p.at(2);
                ++deletes;
            } else {
                ++conflicts;
            }
        }
    }

    db::Connection c;
    c.setPath(path);
    c.open();
    db::Statement check(c, QStringLiteral("PRAGMA integrity_check"));
    check.step();
    if (check.text(0) != QLatin1String("ok")) {
        std::fprintf(stderr, "integrity_check: %s\n", qPrintable(check.text(0)));
        ok = false;
    }
    QHash<QString, QString> inFile;
    db::Statement all(c, QStringLiteral("SELECT 收件人姓名, 收件地址 FROM inrxx"));
    while (all.step())
        inFile.insert(all.text(0), all.text(1));

    for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
        const Row &r = it.value();
        // Follow the chain of modifies from the added address.
        QString address = r.added;
        int used = 0;
        while (r.modifies.contains(address) && used <= r.modifyCount) {
            address = r.modifies.value(address);
            ++used;
        }
        const bool deleted = !r.deletesRead.isEmpty();
        QString problem;
        if (r.added.isEmpty())
            problem = QStringLiteral("changed but never added");
        else if (used != r.modifyCount)
            problem = QStringLiteral("a modify was made on values it had not read");
        else if (r.deletesRead.size() > 1)
            problem = QStringLiteral("deleted twice");
        else if (deleted && r.deletesRead.first() != address)
            problem = QStringLiteral("deleted by a writer that had not read its last address");
        else if (deleted && inFile.contains(it.key()))
            problem = QStringLiteral("acknowledged delete, but still in the file");
        else if (!deleted && !inFile.contains(it.key()))
            problem = QStringLiteral("acknowledged add, but missing from the file");
        else if (!deleted && inFile.value(it.key()) != address)
            problem = QStringLiteral("file holds %1, acknowledged writes end at %2").arg(inFile.value(it.key()), address);
        if (!problem.isEmpty()) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(it.key()), qPrintable(problem));
            ok = false;
        }
    }
    if (inFile.size() != rows.size() - deletes) {
        std::fprintf(stderr, "the file holds %lld rows, the logs explain %lld\n", qlonglong(inFile.size()),
                     qlonglong(rows.size() - deletes));
        ok = false;
    }
    std::printf("%d s, two writers: %d adds, %d modifies, %d deletes acknowledged; %d conflicts refused; "
                "%lld rows in the file; %s\n",
                seconds, adds, modifies, deletes, conflicts, qlonglong(inFile.size()), ok ? "consistent" : "FAILED");
    return ok ? 0 : 1;
}
