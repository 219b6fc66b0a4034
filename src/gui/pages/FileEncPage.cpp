#include "FileEncPage.h"

#include "Artwork.h"
#include "LocalPath.h"
#include "MenuResources.h"
#include "ResourceIds.h"
#include "config/ConfigDialog.h"
#include "dialogs/DialogKit.h"
#include "encryption/BatchFlow.h"
#include "encryption/DecryptFlow.h"
#include "encryption/EncryptFlow.h"
#include "widgets/ColumnFit.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QStackedLayout>
#include <QStandardItemModel>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

// The page's icons live in the GUI library's resources: register them before the first use.
static void initFileEncResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(fileenc);
        return true;
    }();
    (void)done;
}

namespace yx {
namespace {

struct ItemText {
    const char* name;
    const char* remark;
    int icon;
};

const ItemText kItems[FileEncPage::ItemCount] = {
    {"文件加密", "用证书加密文件", res::IDI_FILE_ENCRYPT},
    {"文件解密", "用证书解密文件", res::IDI_FILE_DECRYPT},
    {"设置默认加密证书", "设置默认加密证书", res::IDI_DEFAULT_ENC_CERT},
};

bool isKvxFile(const QString& path) {
    return path.endsWith(QLatin1String(".kvx"), Qt::CaseInsensitive);
}

} // namespace

FileEncPage::FileEncPage(QWidget* parent) : Page(kPageFileEnc, res::IDD_FILE_ENC_PAGE, parent) {
    initFileEncResources();

    m_model = new QStandardItemModel(0, 3, this);
    m_model->setHorizontalHeaderLabels({QStringLiteral("名称"), QStringLiteral("备注"), QString()});
    for (const ItemText& text : kItems) {
        auto* name = new QStandardItem(art::icon(text.icon), QString::fromUtf8(text.name));
        auto* remark = new QStandardItem(QString::fromUtf8(text.remark));
        for (QStandardItem* item : {name, remark})
            item->setEditable(false);
        name->setDragEnabled(false);
        m_model->appendRow({name, remark, new QStandardItem});
    }

    // One control, two views over one model and one selection: the icon and list arrangements,
    // and the details with their columns.
    m_list = new QWidget(this);
    m_list->setObjectName(QString::number(res::IDC_FILE_ENC_LIST));
    m_stack = new QStackedLayout(m_list);
    m_icons = new QListView(m_list);
    m_icons->setModel(m_model);
    m_icons->setMovement(QListView::Static);
    m_icons->setResizeMode(QListView::Adjust);
    m_icons->setUniformItemSizes(false);
    m_icons->setWordWrap(true);
    m_details = new QTreeView(m_list);
    m_details->setModel(m_model);
    m_details->setSelectionModel(m_icons->selectionModel());
    m_details->setRootIsDecorated(false);
    m_details->setItemsExpandable(false);
    m_details->setAllColumnsShowFocus(true);
    m_details->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_details->setIconSize(QSize(16, 16));
    m_details->header()->setStretchLastSection(false);
    m_details->header()->resizeSection(0, 100);
    m_details->header()->resizeSection(1, 150);
    m_details->header()->resizeSection(2, 0);
    ColumnFit::install(m_details, {0, 1});
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(m_icons), static_cast<QAbstractItemView*>(m_details)}) {
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setDragDropMode(QAbstractItemView::NoDragDrop);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        view->viewport()->setAcceptDrops(true);
        view->viewport()->installEventFilter(this);
        view->installEventFilter(this);
        connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
            if (!index.isValid())
                return;
            m_lastHit = index.row();
            runItem(m_lastHit);
        });
        connect(view, &QWidget::customContextMenuRequested, this,
                [this, view](const QPoint& pos) { showContextMenu(view, pos); });
        m_stack->addWidget(view);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    setFocusProxy(m_icons);
    setViewMode(ViewMode::LargeIcons);
}

void FileEncPage::SetPresetPath(const QString& path) {
    m_presetPath = dlgkit::presetPath(path);
}

QAbstractItemView* FileEncPage::currentView() const {
    return m_mode == ViewMode::Details ? static_cast<QAbstractItemView*>(m_details) : m_icons;
}

QMenu* FileEncPage::createOperationsMenu() {
    return menus::loadPopup(res::IDR_FILE_ENC_OPS);
}

QMenu* FileEncPage::createViewMenu() {
    QMenu* menu = loadCommonViewMenu();
    markViewMode(menu);
    return menu;
}

void FileEncPage::markViewMode(QMenu* menu) const {
    if (!menu)
        return;
    // The menu bar's "查看" uses the common view ids, the page's context menu its own.
    struct Mark {
        int common, own;
        ViewMode mode;
    };
    static const Mark kMarks[] = {
        {res::ID_VIEW_LARGE_ICONS, res::ID_PAGE_VIEW_LARGE_ICONS, ViewMode::LargeIcons},
        {res::ID_VIEW_SMALL_ICONS, res::ID_PAGE_VIEW_SMALL_ICONS, ViewMode::SmallIcons},
        {res::ID_VIEW_LIST, res::ID_VIEW_LIST, ViewMode::List},
        {res::ID_VIEW_DETAILS, res::ID_PAGE_VIEW_DETAILS, ViewMode::Details},
    };
    for (const Mark& mark : kMarks) {
        for (int id : {mark.common, mark.own}) {
            if (QAction* action = menus::findCommand(menu, id)) {
                action->setCheckable(true);
                action->setChecked(mark.mode == m_mode);
            }
        }
    }
}

QMenu* FileEncPage::contextMenuFor(int item) {
    switch (item) {
    case ItemEncrypt:
        return menus::loadPopup(res::IDR_FILE_ENC_ENCRYPT);
    case ItemDecrypt:
        return menus::loadPopup(res::IDR_FILE_ENC_DECRYPT);
    case ItemDefaultCert:
        return menus::loadPopup(res::IDR_FILE_ENC_CONFIG);
    default:
        return menus::loadPopup(res::IDR_FILE_ENC_SPACE);
    }
}

QMenu* FileEncPage::pageContextMenu(int item) const {
    QMenu* menu = contextMenuFor(item);
    markViewMode(menu);
    return menu;
}

bool FileEncPage::onCommand(int id) {
    switch (id) {
    case res::ID_FILE_ENCRYPT:
        encryptFile(QString());
        return true;
    case res::ID_FILE_DECRYPT:
        decryptFile(m_presetPath);
        return true;
    case res::ID_DEFAULT_ENC_CERT:
        defaultCertificate();
        return true;
    case res::ID_PAGE_VIEW_LARGE_ICONS:
        setViewMode(ViewMode::LargeIcons);
        return true;
    case res::ID_PAGE_VIEW_SMALL_ICONS:
        setViewMode(ViewMode::SmallIcons);
        return true;
    case res::ID_VIEW_LIST:
        setViewMode(ViewMode::List);
        return true;
    case res::ID_PAGE_VIEW_DETAILS:
        setViewMode(ViewMode::Details);
        return true;
    default:
        return Page::onCommand(id);
    }
}

void FileEncPage::setViewMode(ViewMode mode) {
    m_list->setUpdatesEnabled(false);
    m_mode = mode;
    if (mode == ViewMode::Details) {
        m_stack->setCurrentWidget(m_details);
    } else {
        const bool large = mode == ViewMode::LargeIcons;
        m_icons->setViewMode(large ? QListView::IconMode : QListView::ListMode);
        m_icons->setIconSize(large ? QSize(32, 32) : QSize(16, 16));
        // Small icons run in rows, the list in columns; both wrap at the control's edge.
        m_icons->setFlow(mode == ViewMode::List ? QListView::TopToBottom : QListView::LeftToRight);
        m_icons->setWrapping(true);
        m_icons->setGridSize(large ? QSize(fontMetrics().height() * 8, fontMetrics().height() * 5) : QSize());
        m_icons->setSpacing(large ? 0 : fontMetrics().height() / 4);
        m_icons->setMovement(QListView::Static);
        // No moving of items; dropped files are the page's (the mode switch above resets both).
        m_icons->setDragDropMode(QAbstractItemView::NoDragDrop);
        m_icons->viewport()->setAcceptDrops(true);
        m_stack->setCurrentWidget(m_icons);
    }
    setFocusProxy(currentView());
    m_list->setUpdatesEnabled(true);
    markViewMode(currentViewMenu());
}

void FileEncPage::runItem(int item) {
    switch (item) {
    case ItemEncrypt:
        onCommand(res::ID_FILE_ENCRYPT);
        break;
    case ItemDecrypt:
        onCommand(res::ID_FILE_DECRYPT);
        break;
    case ItemDefaultCert:
        onCommand(res::ID_DEFAULT_ENC_CERT);
        break;
    default:
        break;
    }
}

void FileEncPage::showContextMenu(QAbstractItemView* view, const QPoint& viewportPos) {
    const QModelIndex index = view->indexAt(viewportPos);
    m_lastHit = index.isValid() ? index.row() : -1;
    if (index.isValid())
        view->setCurrentIndex(index);
    runContextMenu(pageContextMenu(m_lastHit), view->viewport()->mapToGlobal(viewportPos));
}

bool FileEncPage::acceptsDrop(const QList<QUrl>& urls) const {
    return !urls.isEmpty() && urls.first().isLocalFile();
}

// One dropped file goes through the encrypt or decrypt dialog; several are one job each way:
// the ".kvx" files are decrypted together, the others encrypted together. The flows run after
// the drop has been answered, so the dragging program is not held up by the modal dialogs.
void FileEncPage::dropFiles(const QList<QUrl>& urls) {
    if (!acceptsDrop(urls))
        return;
    QStringList encrypt, decrypt;
    for (const QUrl& url : urls)
        if (url.isLocalFile())
            (isKvxFile(pathOfLocalUrl(url)) ? decrypt : encrypt) << pathOfLocalUrl(url); // the name's bytes
    QTimer::singleShot(0, this, [this, encrypt, decrypt] {
        if (encrypt.size() + decrypt.size() == 1) {
            if (decrypt.isEmpty())
                encryptFile(encrypt.first());
            else
                decryptFile(decrypt.first());
            return;
        }
        if (decrypt.size() == 1)
            decryptFile(decrypt.first());
        else if (!decrypt.isEmpty())
            RunDecryptBatch(decrypt, ownerWindow());
        if (encrypt.size() == 1)
            encryptFile(encrypt.first());
        else if (!encrypt.isEmpty())
            RunEncryptBatch(encrypt, ownerWindow());
    });
}

bool FileEncPage::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (drag->mimeData() && acceptsDrop(drag->mimeData()->urls())) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (drop->mimeData() && acceptsDrop(drop->mimeData()->urls())) {
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            dropFiles(drop->mimeData()->urls());
        } else {
            drop->ignore();
        }
        return true;
    }
    case QEvent::KeyPress: {
        // Enter runs the current item, as a double click does.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && (watched == m_icons || watched == m_details)) {
            const QModelIndex current = currentView()->currentIndex();
            if (current.isValid()) {
                m_lastHit = current.row();
                runItem(m_lastHit);
                return true;
            }
        }
        break;
    }
    default:
        break;
    }
    return Page::eventFilter(watched, event);
}

QWidget* FileEncPage::ownerWindow() {
    // A page that is never shown (the command line's decrypt operation) owns no dialogs.
    return isVisible() ? window() : nullptr;
}

void FileEncPage::encryptFile(const QString& source) {
    EncryptFlowOptions options;
    options.appendKvx = true; // the page's flow: an encrypted file always ends with ".kvx"
    options.quiet = false;
    RunEncryptFlow(source, options, ownerWindow());
}

void FileEncPage::decryptFile(const QString& preset) {
    DecryptFile(preset, ownerWindow());
}

void FileEncPage::defaultCertificate() {
    RunConfigDialog(CConfigDialog::EncCertTab, ownerWindow());
}

} // namespace yx
