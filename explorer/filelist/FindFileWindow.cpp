#include "explorer/filelist/FindFileWindow.h"

#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/LanguageTables.h"
#include "platform/DrivePaths.h"
#include "platform/FileSearch.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

FindFileWindow::FindFileWindow(const QString &folder, TLanguage language, QWidget *parent)
    : QDialog(parent)
    , m_folder(folder)
    , m_language(language)
    , m_pattern(new QLineEdit(QStringLiteral("*"), this))
    , m_findButton(new QPushButton(fileListCommandText(language, QStringLiteral("findStart")), this))
    , m_cancelButton(new QPushButton(ExplorerTexts.msgCancel.isEmpty() ? QStringLiteral("Cancel") : ExplorerTexts.msgCancel, this))
    , m_results(new QListWidget(this))
    , m_status(new QLabel(this))
    , m_search(new platform::FileSearch(this))
{
    setObjectName(QStringLiteral("FindFileWindow"));
    setWindowTitle(fileListCommandText(language, QStringLiteral("findTitle")));
    m_pattern->setObjectName(QStringLiteral("edtPattern"));
    m_findButton->setObjectName(QStringLiteral("btnFind"));
    m_cancelButton->setObjectName(QStringLiteral("btnCancel"));
    m_results->setObjectName(QStringLiteral("lstResults"));
    m_cancelButton->setEnabled(false);
    m_findButton->setDefault(true);

    auto *layout = new QGridLayout(this);
    layout->addWidget(new QLabel(fileListCommandText(language, QStringLiteral("findNamed")), this), 0, 0);
    layout->addWidget(m_pattern, 0, 1);
    layout->addWidget(m_findButton, 0, 2);
    layout->addWidget(new QLabel(fileListCommandText(language, QStringLiteral("findLookIn")), this), 1, 0);
    layout->addWidget(new QLabel(folder, this), 1, 1);
    layout->addWidget(m_cancelButton, 1, 2);
    layout->addWidget(m_results, 2, 0, 1, 3);
    layout->addWidget(m_status, 3, 0, 1, 3);
    resize(520, 360);

    connect(m_findButton, &QPushButton::clicked, this, &FindFileWindow::startSearch);
    connect(m_cancelButton, &QPushButton::clicked, this, &FindFileWindow::cancelSearch);
    connect(m_search, &platform::FileSearch::found, this, &FindFileWindow::addResults);
    connect(m_search, &platform::FileSearch::finished, this, &FindFileWindow::searchFinished);
    connect(m_results, &QListWidget::itemDoubleClicked, this, &FindFileWindow::chooseResult);
}

FindFileWindow::~FindFileWindow() = default;

void FindFileWindow::startSearch()
{
    const QString pattern = m_pattern->text().trimmed();
    if (pattern.isEmpty())
        return;
    m_results->clear();
    m_status->setText(fileListCommandText(m_language, QStringLiteral("findSearching")));
    m_findButton->setEnabled(false);
    m_cancelButton->setEnabled(true);
    m_search->start(platform::toNativePath(m_folder), pattern);
}

void FindFileWindow::cancelSearch()
{
    m_search->cancel();
}

bool FindFileWindow::isSearching() const
{
    return !m_findButton->isEnabled();
}

QStringList FindFileWindow::results() const
{
    QStringList paths;
    for (int row = 0; row < m_results->count(); ++row)
        paths.append(m_results->item(row)->text());
    return paths;
}

void FindFileWindow::addResults(const QStringList &nativePaths)
{
    for (const QString &path : nativePaths)
        m_results->addItem(platform::toDrivePath(path));
}

void FindFileWindow::searchFinished(bool)
{
    m_findButton->setEnabled(true);
    m_cancelButton->setEnabled(false);
    m_status->setText(pluralText(m_language, QStringLiteral("findFound"), m_results->count()));
}

void FindFileWindow::chooseResult(QListWidgetItem *item)
{
    if (item)
        emit resultChosen(item->text());
}
