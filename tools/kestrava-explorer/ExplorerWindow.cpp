#include "tools/kestrava-explorer/ExplorerWindow.h"

#include "explorer/combo/TZuDirTreeCombo28.h"
#include "explorer/filelist/FileListView.h"
#include "explorer/shared/PathUtils.h"
#include "explorer/tree/DirTree.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSplitter>
#include <QVBoxLayout>

namespace {
struct LanguageName {
    TLanguage language;
    const char16_t *name; // in the language itself
};

constexpr LanguageName languageNames[] = {
    {lnEnglish, u"English"},
    {lnChinese_Tra, u"中文 (繁體)"},
    {lnChinese_Sim, u"中文 (简体)"},
    {lnDutch, u"Nederlands"},
    {lnFrench, u"Français"},
    {lnGerman, u"Deutsch"},
    {lnItalian, u"Italiano"},
    {lnJapanese, u"日本語"},
    {lnPolish, u"Polski"},
    {lnPortuguese, u"Português"},
    {lnSlovenian, u"Slovenščina"},
    {lnSlovak, u"Slovenčina"},
    {lnSpanish, u"Español"},
};
} // namespace

ExplorerWindow::ExplorerWindow(QWidget *parent)
    : QWidget(parent)
    , m_combo(new TZuDirTreeCombo28)
    , m_tree(new TZuDirTree21)
    , m_fileList(new TZuFilelistView28)
    , m_languageBox(new QComboBox)
{
    setWindowTitle(QStringLiteral("Kestrava Explorer"));
    m_combo->setObjectName(QStringLiteral("cmbDirectory"));
    m_tree->setObjectName(QStringLiteral("dtrDirectory"));
    m_fileList->setObjectName(QStringLiteral("flsFile"));
    m_languageBox->setObjectName(QStringLiteral("cmbLanguage"));
    for (const LanguageName &entry : languageNames)
        m_languageBox->addItem(QString::fromUtf16(entry.name), int(entry.language));
    m_languageBox->setCurrentIndex(m_languageBox->findData(int(m_fileList->Language())));
    connect(m_languageBox, &QComboBox::currentIndexChanged, this,
            [this](int index) { setLanguage(TLanguage(m_languageBox->itemData(index).toInt())); });

    auto *top = new QHBoxLayout;
    m_combo->setMinimumWidth(m_combo->width());
    top->addWidget(m_combo, 1);
    top->addStretch(1);
    top->addWidget(m_languageBox);

    // The tree takes a quarter of any width the window gains, the list the rest.
    auto *splitter = new QSplitter(Qt::Horizontal);
    splitter->setObjectName(QStringLiteral("splExplorer"));
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(m_tree);
    splitter->addWidget(m_fileList);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({220, 620});

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter, 1);
    resize(860, 520);

    m_fileList->SetDirTree(m_tree);
    m_fileList->bindKeysWithoutSelection();
    m_fileList->SetDirTreeCombo(m_combo);
    connect(m_tree, &TZuDirTree21::OnDirChange, this,
            [this](QObject *, const QString &path) { followInOtherControl(m_tree, path); });
    connect(m_combo, &TZuDirTreeCombo28::OnPathChange, this,
            [this](QObject *, const QString &path) { followInOtherControl(m_combo, path); });
}

void ExplorerWindow::followInOtherControl(QObject *chosenIn, const QString &path)
{
    if (m_following || path.isEmpty())
        return;
    m_following = true;
    const bool drives = path == QLatin1String("Drives");
    const auto samePlace = [&](const QString &shown) { return drives ? shown == path : AddSlash(shown) == AddSlash(path); };
    if (chosenIn == m_tree) {
        if (!samePlace(m_combo->SelectedPath()))
            m_combo->OpenPath(drives ? m_combo->topNodeCaption() : path);
    } else if (!samePlace(m_tree->SelectedPath())) {
        m_tree->OpenPath(drives ? m_tree->topNodeCaption() : path);
    }
    m_following = false;
}

void ExplorerWindow::setLanguage(TLanguage language)
{
    if (const int index = m_languageBox->findData(int(language)); index >= 0 && index != m_languageBox->currentIndex()) {
        m_languageBox->setCurrentIndex(index); // comes back here through the box
        return;
    }
    const QString treePath = m_tree->SelectedPath();
    m_fileList->SetLanguage(language);
    m_tree->SetLanguage(language);
    m_combo->SetLanguage(language);
    // The tree comes back in the new language holding its root alone: its folder is
    // opened again.
    if (!treePath.isEmpty())
        m_tree->OpenPath(treePath == QLatin1String("Drives") ? m_tree->topNodeCaption() : treePath);
}

void ExplorerWindow::openFolder(const QString &path)
{
    m_tree->OpenPath(path);
    m_combo->OpenPath(path);
    m_fileList->SetDirectory(path);
}
