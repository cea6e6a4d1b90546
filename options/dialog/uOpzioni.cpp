#include "options/dialog/uOpzioni.h"

#include "naming/TKestrava.h"
#include "options/Opzioni.h"
#include "platform/MessageBox.h"

#include "ui_uOpzioni.h"

#include <QButtonGroup>
#include <QCoreApplication>

namespace {
// Patterns of the preset choices of rgpFormatoFile; the choice after them is custom.
const QStringList presetPatterns = {
    QStringLiteral("%2"),
    QStringLiteral("%1 - %2"),
    QStringLiteral("[%1] - %2"),
    QStringLiteral("(%5) - [%1] - %2"),
    QStringLiteral("(%5) - %2"),
    QStringLiteral("[%1] - (%3) - %2"),
    QStringLiteral("@%4 - [%1] - %2"),
};
const int customPattern = 7;

// Groups the radio buttons of a box; ids 0.. in their order in the box.
QButtonGroup *groupRadioButtons(QGroupBox *box, const QString &name)
{
    auto *group = new QButtonGroup(box);
    group->setObjectName(name);
    QLayout *layout = box->layout();
    for (int i = 0; i < layout->count(); ++i)
        group->addButton(qobject_cast<QAbstractButton *>(layout->itemAt(i)->widget()), i);
    return group;
}

// A reference is "%" followed by one of the digits 1 to 5.
bool hasReference(const QString &pattern)
{
    for (qsizetype i = 0; i + 1 < pattern.size(); ++i) {
        if (pattern[i] == QLatin1Char('%') && pattern[i + 1] >= QLatin1Char('1') && pattern[i + 1] <= QLatin1Char('5'))
            return true;
    }
    return false;
}

void showInformation(const QString &text)
{
    platform::showMessage(platform::MessageKind::Information, QCoreApplication::applicationName(), text);
}
} // namespace

TfrmOpzioni::TfrmOpzioni(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmOpzioni>())
{
    ui->setupUi(this);
    setFixedSize(size());
    ui->RadioGroup1->raise(); // above the page control, on both pages
    m_maiuscole = groupRadioButtons(ui->RadioGroup1, QStringLiteral("RadioGroup1Buttons"));
    m_formato = groupRadioButtons(ui->rgpFormatoFile, QStringLiteral("rgpFormatoFileButtons"));

    connect(ui->ckbNomePulito, &QCheckBox::toggled, this, &TfrmOpzioni::ckbNomePulitoClick);
    connect(m_formato, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            rgpFormatoFileClick();
    });
    connect(ui->btnAnnulla, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->btnOk, &QPushButton::clicked, this, [this] {
        btnOkClick();
        accept(); // confirmed whatever the check decided
    });
}

TfrmOpzioni::~TfrmOpzioni() = default;

void TfrmOpzioni::loadOptions(const TOpzioni &options, int page)
{
    ui->PageControl1->setCurrentIndex(page);
    ui->ckbAnteprima->setChecked(options.Anteprima());
    ui->ckbNomePulito->setChecked(options.NomePulito());
    ui->ckbTrascrivi->setChecked(options.Trascrivi());
    // A stored number beyond the choices shows the choice that acts like it: letter
    // case beyond 4 leaves the case as it is, and the pattern is the typed one.
    const int maiuscole = options.Maiuscole();
    const int formato = options.Formato();
    const int lastMode = TKestrava::caseUnchanged;
    m_maiuscole->button(maiuscole >= 0 && maiuscole <= lastMode ? maiuscole : lastMode)->setChecked(true);
    m_formato->button(formato >= 0 && formato <= customPattern ? formato : customPattern)->setChecked(true);
    ui->edtStringaFormato->setText(options.StringaFormato());
}

void TfrmOpzioni::copyOptionsInto(TOpzioni &options) const
{
    options.SetAnteprima(ui->ckbAnteprima->isChecked());
    options.SetNomePulito(ui->ckbNomePulito->isChecked());
    options.SetTrascrivi(ui->ckbTrascrivi->isChecked());
    options.SetMaiuscole(m_maiuscole->checkedId());
    options.SetFormato(m_formato->checkedId());
    options.SetStringaFormato(ui->edtStringaFormato->text());
}

void TfrmOpzioni::ckbNomePulitoClick()
{
    ui->ckbTrascrivi->setChecked(false);
    ui->ckbTrascrivi->setEnabled(!ui->ckbNomePulito->isChecked());
}

void TfrmOpzioni::rgpFormatoFileClick()
{
    ImpostaFormato();
}

void TfrmOpzioni::ImpostaFormato()
{
    ui->edtStringaFormato->setEnabled(false);
    const int choice = m_formato->checkedId();
    if (choice >= 0 && choice < presetPatterns.size())
        ui->edtStringaFormato->setText(presetPatterns.at(choice));
    else if (choice == customPattern)
        ui->edtStringaFormato->setEnabled(true);
}

void TfrmOpzioni::btnOkClick()
{
    const QString pattern = ui->edtStringaFormato->text();
    if (pattern.isEmpty() || !hasReference(pattern)) {
        showInformation(pattern.isEmpty()
                            ? QStringLiteral("Specificare il formato del nuovo nome.")
                            : QStringLiteral("Formato non valido. Deve contenere almen un riferimento con %"));
        ui->edtStringaFormato->setText(TOpzioni::DefaultPattern);
        return;
    }
    const QString options = TOpzioni::optionsString(ui->ckbAnteprima->isChecked(), ui->ckbNomePulito->isChecked(),
                                                    ui->ckbTrascrivi->isChecked(), m_maiuscole->checkedId(),
                                                    m_formato->checkedId());
    if (!TOpzioni::writeRegistry(options, pattern))
        platform::showMessage(platform::MessageKind::Error, QCoreApplication::applicationName(),
                              QStringLiteral("Impossibile salvare le opzioni."));
}
