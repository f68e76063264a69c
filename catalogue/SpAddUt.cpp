#include "catalogue/SpAddUt.h"

#include "app/Session.h"
#include "catalogue/RoomTypes.h"
#include "catalogue/TagBatch.h"
#include "common/CommandRow.h"
#include "common/FormParts.h"
#include "common/Prompter.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

namespace {

QLineEdit* digitsEdit(const QString& objectName, const QString& captionText, QWidget* parent)
{
    QLineEdit* box = edit(objectName, captionText, parent);
    box->setMaxLength(tagbatch::MaxDigits);
    box->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(tagbatch::MaxDigits)), box));
    return box;
}

} // namespace

TSpAddFm::TSpAddFm(Session& session, const QString& roomType, QWidget* parent)
    : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TSpAddFm"));
    setWindowTitle(QStringLiteral("批量添加手牌"));
    setAccessibleName(windowTitle());

    auto* group = new QGroupBox(QStringLiteral("手牌信息"), this);
    group->setObjectName(QStringLiteral("tagGroup"));
    m_marker = edit(QStringLiteral("markerEdit"), QStringLiteral("标记字符:"), group);
    m_before = new QRadioButton(QStringLiteral("在前"), group);
    m_before->setObjectName(QStringLiteral("beforeButton"));
    m_before->setAccessibleName(m_before->text());
    m_after = new QRadioButton(QStringLiteral("在后"), group);
    m_after->setObjectName(QStringLiteral("afterButton"));
    m_after->setAccessibleName(m_after->text());
    m_before->setChecked(true);
    m_start = digitsEdit(QStringLiteral("startEdit"), QStringLiteral("起始数值:"), group);
    m_end = digitsEdit(QStringLiteral("endEdit"), QStringLiteral("终止数值:"), group);
    // Only a listed room type: a typed one would make tags no tab shows.
    m_room = new QComboBox(group);
    m_room->setObjectName(QStringLiteral("roomBox"));
    m_room->setAccessibleName(QStringLiteral("包厢类型:"));

    auto* placement = new QHBoxLayout;
    placement->addWidget(m_marker, 1);
    placement->addWidget(m_before);
    placement->addWidget(m_after);
    FormGrid form(new QFormLayout(group), group);
    form.addRow(QStringLiteral("markerLabel"), QStringLiteral("标记字符:"), m_marker, placement);
    form.addRows({{QStringLiteral("startLabel"), QStringLiteral("起始数值:"), m_start},
                  {QStringLiteral("endLabel"), QStringLiteral("终止数值:"), m_end},
                  {QStringLiteral("roomLabel"), QStringLiteral("包厢类型:"), m_room}});

    auto* hint =
        caption(QStringLiteral("hintLabel"),
                QStringLiteral("例如手牌号码SP001：SP是标记字符，在数值001的前面。"), this);
    auto* unique = caption(QStringLiteral("uniqueLabel"),
                           QStringLiteral("所有包厢的手牌号码都不能重复，必须唯一!"), this);
    CommandRow buttons(this, CommandRow::Align::Right);
    buttons.add(this, {{QStringLiteral("saveButton"), QStringLiteral("保存"), &TSpAddFm::Save},
                       {QStringLiteral("cancelButton"), QStringLiteral("取消"), &QDialog::reject}});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(hint);
    layout->addWidget(unique);
    layout->addLayout(buttons.layout());

    try {
        m_room->addItems(roomtypes::names(m_session.database()));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
    m_room->setCurrentIndex(m_room->findText(roomType));
}

void TSpAddFm::Save()
{
    TagBatchRequest request;
    request.marker = m_marker->text();
    request.markerBefore = m_before->isChecked();
    request.startText = m_start->text();
    request.endText = m_end->text();
    request.roomType = m_room->currentIndex() >= 0 ? m_room->currentText() : QString();
    if (request.startText.trimmed().isEmpty() || request.endText.trimmed().isEmpty()) {
        Prompter::current().warn(QStringLiteral("请输入手牌的起始值和终止值！"));
        (request.startText.trimmed().isEmpty() ? m_start : m_end)->setFocus();
        return;
    }
    const SetupOutcome outcome = tagbatch::addTags(m_session.database(), request);
    if (!outcome.done) {
        Prompter::current().warn(outcome.message);
        return;
    }
    const QStringList numbers = tagbatch::tagNumbers(request);
    m_first = numbers.isEmpty() ? QString() : numbers.first();
    Prompter::current().inform(QStringLiteral("手牌批量添加成功！"));
    accept();
}

} // namespace shoupai
