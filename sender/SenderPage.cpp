#include "sender/SenderPage.h"

#include "data/Database.h"
#include "printing/Fonts.h"
#include "widgets/Messages.h"

#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace {

struct Row
{
    const char *editName;
    int left, top, width;
    const char *label;
    int labelTop;
    int markLeft; // 0: no required mark
};

// One row per column of outrxx, in table order.
const Row kRows[] = {
    {"Edit1", 120, 46, 305, "单位名称：", 48, 0},     {"Edit2", 120, 82, 121, "寄件人姓名：", 84, 248},
    {"Edit3", 120, 118, 441, "寄件地址：", 120, 568}, {"Edit4", 120, 154, 121, "邮政编码：", 156, 0},
    {"Edit5", 120, 190, 169, "联系电话：", 192, 0},   {"Edit6", 120, 226, 169, "手机号码：", 228, 296},
    {"Edit7", 120, 262, 121, "签    名：", 264, 0},
};

} // namespace

SenderPage::SenderPage(QWidget *page, db::Dataset *senderQuery, QObject *parent)
    : QObject(parent), m_query(senderQuery)
{
    const QFont font = fonts::songPixels(13);
    QLineEdit **edits[] = {&companyEdit, &nameEdit,   &addressEdit,  &postcodeEdit,
                           &phoneEdit,   &mobileEdit, &signatureEdit};
    int i = 0;
    for (const Row &row : kRows) {
        auto *label = new QLabel(QString::fromUtf8(row.label), page);
        label->setFont(font);
        label->move(40, row.labelTop);
        label->adjustSize();

        auto *e = new QLineEdit(page);
        e->setObjectName(QString::fromLatin1(row.editName));
        e->setFont(font);
        e->setFrame(false);
        e->setGeometry(row.left, row.top, row.width, 19);
        *edits[i++] = e;

        if (row.markLeft) {
            auto *mark = new QLabel(QStringLiteral("（必填）"), page);
            mark->setFont(font);
            QPalette p = mark->palette();
            p.setColor(QPalette::WindowText, Qt::red);
            mark->setPalette(p);
            mark->move(row.markLeft, row.labelTop);
            mark->adjustSize();
        }
    }
    // Tab visits the edits in table order.
    for (int k = 0; k + 1 < 7; ++k)
        QWidget::setTabOrder(*edits[k], *edits[k + 1]);
}

QLineEdit *SenderPage::edit(int column) const
{
    QLineEdit *const edits[] = {companyEdit, nameEdit,   addressEdit,  postcodeEdit,
                                phoneEdit,   mobileEdit, signatureEdit};
    return edits[column];
}

void SenderPage::load()
{
    const QStringList columns = db::senderColumns();
    for (int c = 0; c < columns.size(); ++c)
        edit(c)->setText(m_query->fieldText(columns.at(c)));
}

bool SenderPage::save(QWidget *messageOwner)
{
    // Only the first missing field is reported; blanks are content, nothing is trimmed.
    if (nameEdit->text().isEmpty()) {
        messages::show(messageOwner, QStringLiteral("寄件人姓名不能为空！"));
        return false;
    }
    if (addressEdit->text().isEmpty()) {
        messages::show(messageOwner, QStringLiteral("寄件地址不能为空！"));
        return false;
    }
    if (mobileEdit->text().isEmpty()) {
        messages::show(messageOwner, QStringLiteral("手机号码不能为空！"));
        return false;
    }
    // On an empty table edit() starts inserting, so the first save creates the sender record.
    m_query->edit();
    const QStringList columns = db::senderColumns();
    try {
        for (int c = 0; c < columns.size(); ++c)
            m_query->setFieldText(columns.at(c), edit(c)->text());
        m_query->post();
    } catch (const db::RowChangedError &e) {
        // Another copy of the program saved the sender meanwhile: show what it saved.
        m_query->cancel();
        load();
        messages::show(messageOwner, e.message());
        return false;
    } catch (...) {
        // Nothing was written: the record stays as the file holds it, the typed texts stay for
        // a retry.
        m_query->cancel();
        throw;
    }
    return true;
}
