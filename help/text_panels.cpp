#include "text_panels.h"

#include "panel_texts.h"

#include <QEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>

namespace vimbo::help {

namespace {

const QColor kRulesBackground(255, 255, 192); // light yellow
const QColor kInfoBackground(224, 224, 224);  // light grey

// The information panel's own size, and where it sits over the table.
constexpr QSize kInfoSize(241, 101);
constexpr QPoint kInfoPlace(140, 0);

// Until the first table is laid out the panels wait where the window design
// put them, mostly right of the table: a panel opened during the opening
// picture shows up there.
constexpr QPoint kEnglishDesigned(320, 256);
constexpr QPoint kItalianDesigned(320, 96);
constexpr QPoint kInfoDesigned(344, 8);

// The texts break their lines with CR LF at about 66 characters, wider than
// the table in the window's font. Shown as they stand, every long line would
// wrap again and leave stubs behind; so the rules flow as paragraphs, one a
// sentence: a line that ends a sentence ends its paragraph, any other break
// is a blank. The information text keeps its lines, centred.
QString displayText(std::string_view text, bool keepLines) {
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QStringList lines = s.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast(); // the final break
    if (keepLines) return lines.join(QLatin1Char('\n'));
    QString flowing;
    for (const QString& line : lines) {
        const QString trimmed = line.trimmed();
        flowing += trimmed;
        flowing += trimmed.endsWith(QLatin1Char('.')) ? QLatin1Char('\n') : QLatin1Char(' ');
    }
    return flowing.trimmed();
}

} // namespace

TextPanel::TextPanel(QWidget* table, std::string_view text, QColor background, bool centred)
    : QTextEdit(table) {
    setReadOnly(true);
    setAcceptRichText(false);
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setLineWidth(1);
    // The keys read it line by line, as a screen reader follows a caret,
    // which is drawn no wider than nothing: to the eye the panel is plain
    // text. The mouse never selects (see eventFilter), and Tab never stops here.
    setTextInteractionFlags(Qt::TextSelectableByKeyboard);
    setCursorWidth(0);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::NoContextMenu);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, background);
    pal.setColor(QPalette::Text, Qt::black);
    setPalette(pal);
    setPlainText(displayText(text, centred));
    if (centred) {
        QTextCursor cursor(document());
        cursor.select(QTextCursor::Document);
        QTextBlockFormat format;
        format.setAlignment(Qt::AlignHCenter);
        cursor.mergeBlockFormat(format);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    } else {
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
    viewport()->installEventFilter(this);
    hide();
}

bool TextPanel::eventFilter(QObject* watched, QEvent* event) {
    // A click is a press and a release on the panel's text area; the press is
    // swallowed here so that it never reaches the table or a card.
    if (watched == viewport()) {
        if (event->type() == QEvent::MouseButtonPress ||
            event->type() == QEvent::MouseButtonDblClick)
            return true;
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (viewport()->rect().contains(mouse->position().toPoint())) emit clicked();
            return true;
        }
    }
    return QTextEdit::eventFilter(watched, event);
}

Panels::Panels(QWidget* table)
    : QObject(table), Text2(new TextPanel(table, englishRules(), kRulesBackground, false)),
      Text3(new TextPanel(table, italianRules(), kRulesBackground, false)),
      Text4(new TextPanel(table, infoText(), kInfoBackground, true)) {
    Text2->move(kEnglishDesigned);
    Text3->move(kItalianDesigned);
    Text4->setGeometry(QRect(kInfoDesigned, kInfoSize));
    Text2->setAccessibleName(QStringLiteral("Rules in English"));
    Text3->setAccessibleName(QStringLiteral("Rules in Italian"));
    Text4->setAccessibleName(QStringLiteral("About Vimbo"));
    for (TextPanel* panel : {Text2, Text3, Text4})
        panel->setAccessibleDescription(QStringLiteral("Escape or a click closes it"));
    connect(Text2, &TextPanel::clicked, this, &Panels::Text2_Click);
    connect(Text3, &TextPanel::clicked, this, &Panels::Text3_Click);
    connect(Text4, &TextPanel::clicked, this, &Panels::Text4_Click);
}

void Panels::HidePanels() {
    const bool reading = Text2->hasFocus() || Text3->hasFocus() || Text4->hasFocus();
    Text2->hide();
    Text3->hide();
    Text4->hide();
    // The keys go back to the table the panel lay over.
    if (reading) static_cast<QWidget*>(parent())->setFocus(Qt::OtherFocusReason);
}

void Panels::toggle(TextPanel* panel, TextPanel* other1, TextPanel* other2) {
    other1->hide();
    other2->hide();
    if (panel->isHidden()) {
        panel->show();
        panel->raise();
        // The panel takes the keys, and a screen reader reads it from the top.
        // Later, not now: a menu that closes gives the keys back to whatever
        // had them before it opened.
        panel->moveCursor(QTextCursor::Start);
        QTimer::singleShot(0, panel, [panel] {
            if (panel->isVisible()) panel->setFocus(Qt::OtherFocusReason);
        });
    } else {
        HidePanels();
    }
}

void Panels::menu_rules_english_Click() {
    toggle(Text2, Text3, Text4);
}
void Panels::menu_rules_italiano_Click() {
    toggle(Text3, Text2, Text4);
}
void Panels::menu_about_Click() {
    toggle(Text4, Text2, Text3);
}

void Panels::sizeRulesPanels(QSize tableArea) {
    Text2->resize(tableArea);
    Text3->resize(tableArea);
}

void Panels::anchor() {
    Text2->move(0, 0);
    Text3->move(0, 0);
    Text4->move(kInfoPlace);
}

} // namespace vimbo::help
