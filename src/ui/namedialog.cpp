#include "ui/namedialog.h"

#include <algorithm>

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

#include "core/cp932.h"
#include "ranking/nameentry.h"
#include "ui/accessibility.h"
#include "ui/desktop.h"
#include "ui/errorbox.h"
#include "ui/messages.h"

RankingNameValidator::RankingNameValidator(const QString &name, QObject *parent)
    : QValidator(parent)
    , m_name(name)
{
}

namespace {

// The box's text with U+FFFD for the half of a surrogate pair that the box
// cut off a long paste, a character left out like any the code page lacks.
// Nothing else changes here: the name rules keep each character the code
// page holds as typed, and compose only what it cannot hold (か and U+3099).
void mendCutPairs(QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
}

} // namespace

QValidator::State RankingNameValidator::validate(QString &input, int &pos) const
{
    if (input == m_name)
        return Acceptable;
    State state = Invalid;
    guarded([&] {
        QString text = input;
        mendCutPairs(text);
        int cursor = std::clamp(pos, 0, int(text.size()));
        if (text == input && isStorableRankingName(text.toStdString())) {
            m_name = input;
            state = Acceptable;
            emit hintChanged(QString());
            return;
        }
        if (cursor < text.size() && text[cursor].isLowSurrogate())
            ++cursor;
        const FittedName fitted = fitRankingNameChange(m_name.toStdString(), text.toStdString(),
                                                       text.first(cursor).toUtf8().size());
        const QString hint = rankingNameHint(fitted);
        // With nothing kept, the text box takes the change back whole.
        if (fitted.keptNothing)
            emit hintChanged(hint);
        else
            emit changeFitted(QString::fromStdString(fitted.name),
                              int(QString::fromUtf8(fitted.name.data(), qsizetype(fitted.cursor)).size()), hint);
    });
    return state;
}

RankingNameDialog::RankingNameDialog(int place, QWidget *parent, const QString &spokenWords)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_edit(new QLineEdit(QString::fromUtf8(DefaultRankingName), this))
{
    setWindowTitle(QCoreApplication::translate("RankingNameDialog", RankingNameCaption));
    setWindowModality(Qt::ApplicationModal);
    setAccessibleDescription(spokenWords);

    const QFontMetrics metrics(font());
    const DialogUnits du{
        averageLetterWidth(metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"))),
        metrics.height()};

    auto *prompt = new QLabel(rankingPrompt(place), this);
    prompt->setTextFormat(Qt::PlainText);
    prompt->move(du.x(8), du.y(8));
    prompt->adjustSize();

    auto *validator = new RankingNameValidator(m_edit->text(), m_edit);
    m_edit->setValidator(validator);
    m_edit->setGeometry(du.x(8), du.y(19), du.x(164), m_edit->sizeHint().height());
    // The prompt names the box: a screen reader says it with the box.
    prompt->setBuddy(m_edit);
    m_edit->selectAll();

    // What a change could not keep shows in the free row between the box and
    // the buttons, as wide as the box.
    m_hint = new QLabel(this);
    m_hint->setObjectName(QStringLiteral("hint"));
    m_hint->setTextFormat(Qt::PlainText);
    // A little smaller than the dialog's text, to leave air around it.
    QFont hintFont = font();
    hintFont.setPixelSize(std::max(1, QFontInfo(font()).pixelSize() * 85 / 100));
    m_hint->setFont(hintFont);
    const int hintTop = m_edit->geometry().bottom() + 1;
    m_hint->setGeometry(du.x(8), hintTop, du.x(164), du.y(41) - hintTop);
    m_notice = new SpokenNotice(this);
    connect(validator, &RankingNameValidator::hintChanged, this, &RankingNameDialog::showHint);
    // Once the box has taken the refused change back.
    connect(validator, &RankingNameValidator::changeFitted, this, &RankingNameDialog::makeFittedChange,
            Qt::QueuedConnection);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->setGeometry(du.x(38), du.y(41), du.x(50), du.y(14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *cancel = new QPushButton(tr("キャンセル"), this);
    cancel->setGeometry(du.x(92), du.y(41), du.x(50), du.y(14));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(du.x(180), du.y(63));
    // Centred on the screen, frame and all, and kept within its free area.
    if (const QScreen *screen = this->screen()) {
        QRect frame(QPoint(), size().grownBy(expectedFrameMargins()));
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }
    keepOnScreen(this);
    activateWhenShown(this);
    refuseMaximise(this);
}

void RankingNameDialog::showHint(const QString &hint)
{
    m_hint->setText(m_hint->fontMetrics().elidedText(hint, Qt::ElideRight, m_hint->width()));
    // A screen reader says the hint whole: a label's new text is not read.
    if (!hint.isEmpty()) {
        QApplication::beep();
        m_notice->say(hint);
    }
}

// The adjusted change goes in as the box's own edit of the whole name, so
// that Undo takes it back to the name before.
void RankingNameDialog::makeFittedChange(const QString &name, int cursor, const QString &hint)
{
    m_edit->selectAll();
    m_edit->insert(name);
    m_edit->setCursorPosition(cursor);
    showHint(hint);
}

QString RankingNameDialog::name() const
{
    return m_edit->text();
}

std::string askRankingName(int place, QWidget *parent, const QString &spokenWords)
{
    QPointer<RankingNameDialog> dialog = new RankingNameDialog(place, parent, spokenWords);
    const bool ok = runModal(dialog) == QDialog::Accepted;
    // The dialog is gone if its parent was destroyed while it was open.
    std::string name = dialog && ok ? dialog->name().toStdString() : DefaultRankingName;
    delete dialog;
    return utf8ToCp932(name).value_or(DefaultRankingNameCp932);
}
