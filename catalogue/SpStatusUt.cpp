#include "catalogue/SpStatusUt.h"

#include "app/Session.h"
#include "catalogue/TagStates.h"
#include "catalogue/TagStatus.h"
#include "common/CommandRow.h"
#include "common/FormParts.h"
#include "common/Prompter.h"
#include "common/TagBoard.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

TSpStatusFm::TSpStatusFm(Session& session, TagBoard& board, QWidget* parent)
    : QDialog(parent), m_session(session), m_board(board), m_tag(board.selectedTag())
{
    setObjectName(QStringLiteral("TSpStatusFm"));
    setWindowTitle(QStringLiteral("手牌状态"));
    setAccessibleName(windowTitle());

    auto* group = new QGroupBox(QStringLiteral("手牌信息"), this);
    group->setObjectName(QStringLiteral("tagGroup"));
    m_tagValue = value(QStringLiteral("tagValue"), group);
    m_stateValue = value(QStringLiteral("stateValue"), group);
    auto* grid = new QGridLayout(group);
    grid->addWidget(
        caption(QStringLiteral("tagLabel"), QStringLiteral("当前手牌:"), group, m_tagValue), 0, 0);
    grid->addWidget(m_tagValue, 0, 1);
    grid->addWidget(
        caption(QStringLiteral("stateLabel"), QStringLiteral("当前状态:"), group, m_stateValue), 1,
        0);
    grid->addWidget(m_stateValue, 1, 1);
    grid->setColumnStretch(1, 1);

    CommandRow buttons(this, CommandRow::Align::Fill);
    buttons.add(
        this,
        {{QStringLiteral("freeButton"), QStringLiteral("变为可用"), &TSpStatusFm::MakeFree},
         {QStringLiteral("reserveButton"), QStringLiteral("变为预定"), &TSpStatusFm::MakeReserved},
         {QStringLiteral("outOfUseButton"), QStringLiteral("变为停用"),
          &TSpStatusFm::MakeOutOfUse}});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons.layout());

    m_tagValue->setText(m_tag);
    readState();
}

void TSpStatusFm::readState()
{
    try {
        m_state = tagstatus::readState(m_session.database(), m_tag).value_or(QString());
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
    m_stateValue->setText(m_state);
}

void TSpStatusFm::MakeFree()
{
    change(tagstates::Free);
}

void TSpStatusFm::MakeReserved()
{
    change(tagstates::Reserved);
}

void TSpStatusFm::MakeOutOfUse()
{
    change(tagstates::OutOfUse);
}

void TSpStatusFm::change(const QString& newState)
{
    const SetupOutcome outcome =
        tagstatus::changeState(m_session.database(), m_tag, m_state, newState);
    if (!outcome.done) {
        Prompter::current().warn(outcome.message);
        // The operator sees what is stored now, and the board shows it too.
        readState();
        m_board.RefreshSelection();
        return;
    }
    m_board.RefreshSelection();
    accept();
}

} // namespace shoupai
