#pragma once

// While a connection waits for a data file another program holds: a wait cursor, a status text
// (through `changed`), and the windows keep painting, the clock included. Input stays blocked
// until the wait ends, so nothing starts half-way through another action.

#include <QObject>
#include <QTimer>

#include <functional>

class BusyFileNotice : public QObject
{
    Q_OBJECT
public:
    explicit BusyFileNotice(QObject *parent = nullptr);
    ~BusyFileNotice() override;

    // Whether a wait is going on now (a handler may be re-entered by painting or timers then).
    static bool waiting();
    // Told when a wait starts (true) and when it has ended (false).
    std::function<void(bool waiting)> changed;

    static QString statusText();

private:
    void waitStep();
    void end();

    QTimer m_end;
    bool m_waiting = false;
};
