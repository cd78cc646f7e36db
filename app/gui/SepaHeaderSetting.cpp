#include "app/gui/SepaHeaderSetting.h"

#include <QSettings>

namespace velcor::app {

namespace {

const QString kInitiatorKey = QStringLiteral("sepaInitiatorId");
const QString kBatchBookingKey = QStringLiteral("sepaBatchBooking");

QSettings userSettings() { return QSettings(QStringLiteral("velcor"), QStringLiteral("velcor")); }

}  // namespace

std::string rememberedInitiatorId() {
    // Only what the field takes: a value edited by hand into something else is dropped.
    const QString kept = userSettings().value(kInitiatorKey).toString();
    for (const QChar c : kept)
        if ((c < u'0' || c > u'9') && c != u' ' && c != u'-') return {};
    return kept.left(20).toStdString();
}

void rememberInitiatorId(const std::string& id) {
    if (id.empty())
        userSettings().remove(kInitiatorKey);
    else
        userSettings().setValue(kInitiatorKey, QString::fromStdString(id));
}

std::optional<bool> rememberedBatchBooking() {
    const QString kept = userSettings().value(kBatchBookingKey).toString();
    if (kept == QStringLiteral("yes")) return true;
    if (kept == QStringLiteral("no")) return false;
    return std::nullopt;
}

void rememberBatchBooking(std::optional<bool> batchBooking) {
    if (!batchBooking)
        userSettings().remove(kBatchBookingKey);
    else
        userSettings().setValue(kBatchBookingKey,
                                *batchBooking ? QStringLiteral("yes") : QStringLiteral("no"));
}

}  // namespace velcor::app
