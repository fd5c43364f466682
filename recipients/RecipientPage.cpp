#include "recipients/RecipientPage.h"

#include "printing/Fonts.h"
#include "shell/Unit1.h"

#include <QGroupBox>
#include <QLabel>

RecipientPage::RecipientPage(TForm1 *form) : QObject(form), m_form(form)
{
    QWidget *page = form->GroupBox2;
    const QFont font = fonts::songPixels(13);
    auto panel = [&](const char *name, const QString &caption) {
        auto *box = new QGroupBox(caption, page);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(25, 16, 880, 97);
        QFont bold = font;
        bold.setBold(true);
        box->setFont(bold);
        return box;
    };
    GroupBox3 = panel("GroupBox3", QStringLiteral("查 询"));
    GroupBox4 = panel("GroupBox4", QStringLiteral("修 改"));
    GroupBox5 = panel("GroupBox5", QStringLiteral("添 加"));
    GroupBox3->hide();
    GroupBox4->hide();

    struct Fixed
    {
        const char *name;
        int x;
        const char *text;
    };
    const Fixed fixed[] = {{"Label32", 13, "当前第"}, {"Label33", 55, ""},  {"Label34", 92, "条记录"}, {"Label35", 133, "，"},
                           {"Label29", 150, "共有"},  {"Label31", 180, ""}, {"Label30", 216, "条记录。"}};
    for (const Fixed &f : fixed) {
        auto *label = new QLabel(QString::fromUtf8(f.text), page);
        label->setObjectName(QString::fromLatin1(f.name));
        label->setFont(font);
        label->move(f.x, 492);
        label->adjustSize();
        if (qstrcmp(f.name, "Label33") == 0)
            Label33 = label;
        if (qstrcmp(f.name, "Label31") == 0)
            Label31 = label;
    }
}

void RecipientPage::showAddPanel()
{
    GroupBox3->hide();
    GroupBox4->hide();
    GroupBox5->show();
}

void RecipientPage::setTotalCounter()
{
    Label31->setText(QString::number(m_form->ADOQuery2.recordCount()));
    Label31->adjustSize();
}

void RecipientPage::setPositionCounter()
{
    const int recNo = m_form->ADOQuery2.recNo();
    Label33->setText(recNo == -1 ? QStringLiteral("0") : QString::number(recNo));
    Label33->adjustSize();
}
