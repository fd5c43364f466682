#pragma once

#include <QApplication>

// The program's application object. An error that escapes an event handler ends that handler
// and is shown in the error box; the program goes on.
class Application : public QApplication
{
    Q_OBJECT
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

namespace app {
// Fonts, Chinese texts for Qt's own dialogs, the application's names. Tests call it too.
void configure();
} // namespace app
