#include "app/gui/BudgetRulesSetting.h"

#include <QSettings>

#include <string>

namespace velcor::app {

namespace {

const QString kKey = QStringLiteral("budgetRules");

QSettings userSettings() { return QSettings(QStringLiteral("velcor"), QStringLiteral("velcor")); }

}  // namespace

processing::BudgetRules rememberedBudgetRules() {
    const std::string name = userSettings().value(kKey).toString().toStdString();
    return processing::budgetRulesNamed(name).value_or(processing::BudgetRules::before2023);
}

void rememberBudgetRules(processing::BudgetRules rules) {
    const std::string_view name = processing::budgetRulesName(rules);
    userSettings().setValue(kKey,
                            QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
}

}  // namespace velcor::app
