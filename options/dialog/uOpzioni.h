#pragma once
// The options dialog: picture preview, name cleaning, empty new-name field, letter
// case and name pattern. The caller fills it from the options record before showing
// it and copies it back when it was confirmed.

#include <QDialog>
#include <memory>

class QButtonGroup;
class TOpzioni;
namespace Ui {
class TfrmOpzioni;
}

class TfrmOpzioni : public QDialog {
    Q_OBJECT
public:
    enum Page { pageTuttiFile = 0, pageFileMp3 = 1 };

    explicit TfrmOpzioni(QWidget *parent = nullptr);
    ~TfrmOpzioni() override;

    // Shows `page` and sets the check boxes (in order), the two choices and the
    // pattern edit from the record; the click rules run as the controls change.
    void loadOptions(const TOpzioni &options, int page);
    // Copies the controls into the record.
    void copyOptionsInto(TOpzioni &options) const;

private:
    void ckbNomePulitoClick();
    void rgpFormatoFileClick();
    void ImpostaFormato();
    // Checks the pattern and writes the registry; the dialog closes as confirmed anyway.
    void btnOkClick();

    std::unique_ptr<Ui::TfrmOpzioni> ui;
    QButtonGroup *m_maiuscole = nullptr;
    QButtonGroup *m_formato = nullptr;
};
