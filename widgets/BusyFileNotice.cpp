#include "widgets/BusyFileNotice.h"

#include "data/Database.h"

#include <QApplication>
#include <QCursor>

namespace {
BusyFileNotice *current = nullptr;
}

BusyFileNotice::BusyFileNotice(QObject *parent) : QObject(parent)
{
    // The hook runs every 25 ms while waiting; a quiet spell longer than that means it is over.
    m_end.setSingleShot(true);
    m_end.setInterval(150);
    connect(&m_end, &QTimer::timeout, this, &BusyFileNotice::end);
    current = this;
    db::Connection::setBusyHook([] {
        if (current)
            current->waitStep();
    });
}

BusyFileNotice::~BusyFileNotice()
{
    if (m_waiting)
        QApplication::restoreOverrideCursor();
    if (current == this) {
        current = nullptr;
        db::Connection::setBusyHook({});
    }
}

bool BusyFileNotice::waiting()
{
    return current && current->m_waiting;
}

QString BusyFileNotice::statusText()
{
    return QStringLiteral(" 数据文件正被其他程序使用，正在等待……");
}

void BusyFileNotice::waitStep()
{
    if (!m_waiting) {
        m_waiting = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (changed)
            changed(true);
    }
    m_end.start();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void BusyFileNotice::end()
{
    if (!m_waiting)
        return;
    m_waiting = false;
    QApplication::restoreOverrideCursor();
    if (changed)
        changed(false);
}
