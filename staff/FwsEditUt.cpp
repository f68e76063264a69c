#include "staff/FwsEditUt.h"

#include "app/Session.h"
#include "common/CommandRow.h"
#include "common/FormParts.h"
#include "common/Prompter.h"
#include "staff/StaffRegister.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPlainTextEdit>

namespace shoupai {

using namespace formparts;

TFwsEditFm::TFwsEditFm(Session& session, const QString& code, QWidget* parent)
    : QDialog(parent), m_session(session), m_original(code)
{
    setObjectName(QStringLiteral("TFwsEditFm"));
    setWindowTitle(QStringLiteral("员工"));
    setAccessibleName(windowTitle());

    m_code = edit(QStringLiteral("codeEdit"), QStringLiteral("员工编号"), this);
    m_name = edit(QStringLiteral("nameEdit"), QStringLiteral("员工姓名"), this);
    m_sex = choice(QStringLiteral("sexBox"), QStringLiteral("性别"), this);
    m_sex->addItems({QStringLiteral("男"), QStringLiteral("女")});
    m_grade = choice(QStringLiteral("gradeBox"), QStringLiteral("员工等级"), this);
    m_phone = edit(QStringLiteral("phoneEdit"), QStringLiteral("联系电话"), this);
    m_id = edit(QStringLiteral("idEdit"), QStringLiteral("证件号码"), this);
    m_remark = new QPlainTextEdit(this);
    m_remark->setObjectName(QStringLiteral("remarkEdit"));
    m_remark->setAccessibleName(QStringLiteral("备注"));
    CommandRow buttons(this, CommandRow::Align::Right);
    buttons.add(this, {{QStringLiteral("saveButton"), QStringLiteral("保存"), &TFwsEditFm::Save},
                       {QStringLiteral("closeButton"), QStringLiteral("退出"), &QDialog::reject}});

    auto* form = new QFormLayout(this);
    FormGrid(form, this).addNumberedRows({m_code, m_name, m_sex, m_grade, m_phone, m_id, m_remark});
    form->addRow(buttons.layout());

    try {
        Rows grades = m_session.database().query(
            QStringLiteral("select 等级名称 from 员工等级 order by 等级编号"));
        while (grades.next())
            m_grade->addItem(grades.text(QStringLiteral("等级名称")));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
    m_grade->setCurrentIndex(-1);
    if (m_original.isEmpty())
        m_sex->setCurrentIndex(0);
    else
        loadEmployee();
}

void TFwsEditFm::loadEmployee()
{
    try {
        Rows row = m_session.database().query(
            QStringLiteral("select * from 员工管理 where 员工编号 = ?"), {m_original});
        if (!row.next())
            return;
        m_code->setText(row.text(QStringLiteral("员工编号")));
        m_name->setText(row.text(QStringLiteral("员工姓名")));
        m_sex->setCurrentIndex(m_sex->findText(row.text(QStringLiteral("性别")).trimmed()));
        const QString grade = row.text(QStringLiteral("员工等级"));
        const int at = m_grade->findText(grade);
        if (at >= 0)
            m_grade->setCurrentIndex(at);
        m_phone->setText(row.text(QStringLiteral("联系电话")));
        m_id->setText(row.text(QStringLiteral("证件号码")));
        m_remark->setPlainText(row.text(QStringLiteral("备注")));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

void TFwsEditFm::Save()
{
    EmployeeRecord record;
    record.code = m_code->text();
    record.name = m_name->text();
    record.sex = m_sex->currentText();
    record.grade = m_grade->currentText();
    record.phone = m_phone->text();
    record.idNumber = m_id->text();
    record.remark = m_remark->toPlainText();
    const RegisterOutcome outcome =
        staffregister::saveEmployee(m_session.database(), record, m_original);
    if (!outcome.done) {
        Prompter::current().warn(outcome.message);
        return;
    }
    m_saved = record.code.trimmed();
    accept();
}

} // namespace shoupai
