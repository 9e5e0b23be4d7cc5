#include "svg_warnings.h"

#include <QtGlobal>

namespace vimbo::art::test {

namespace {

QStringList collected;
QtMessageHandler previous = nullptr;
bool installed = false;

void collect(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const QLatin1String category(context.category ? context.category : "");
    if (category.startsWith(QLatin1String("qt.svg"))) {
        collected << QStringLiteral("%1: %2").arg(category, message);
        return;
    }
    if (previous) previous(type, context, message);
}

} // namespace

void watchSvgWarnings() {
    if (installed) return;
    previous = qInstallMessageHandler(collect);
    installed = true;
}

QStringList takeSvgWarnings() {
    QStringList out;
    out.swap(collected);
    return out;
}

} // namespace vimbo::art::test
