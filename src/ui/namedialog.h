#pragma once

#include <string>

#include <QDialog>
#include <QValidator>

class QLineEdit;

// Lets into the name box only what the ranking file can hold as one line.
class RankingNameValidator : public QValidator
{
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

// The modal dialog that asks the name for a place in the ranking.
class RankingNameDialog : public QDialog
{
    Q_OBJECT
public:
    explicit RankingNameDialog(int place, QWidget *parent = nullptr);

    // The name as typed, UTF-8.
    QString name() const;

private:
    QLineEdit *m_edit;
};

// Shows the name dialog for a place (1..10) and waits for it. Returns the
// typed name (possibly empty) on OK and "名前なし" on Cancel, Esc, the close
// box or the program ending meanwhile, as code page 932 bytes.
std::string askRankingName(int place, QWidget *parent = nullptr);
