#include "shell/Application.h"

#include "printing/Fonts.h"
#include "widgets/Messages.h"

#include <QLibraryInfo>
#include <QTranslator>

Application::Application(int &argc, char **argv) : QApplication(argc, argv) {}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        messages::showError(activeWindow(), QString::fromUtf8(e.what()));
    }
    return false;
}

void app::configure()
{
    QCoreApplication::setApplicationName(QStringLiteral("waybill"));
    fonts::installSubstitutions();
    // Qt's own dialogs (file, font, print) and buttons in Chinese.
    auto *translator = new QTranslator(qApp);
    if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}
