#include "messagecenter/MessageCenterPage.h"

#include "messagecenter/AddRssItem.h"
#include "messagecenter/FeedDrop.h"
#include "messagecenter/ImportRssFeeds.h"
#include "pagekit/CheckListCtrl.h"
#include "pagekit/Controls.h"
#include "pagekit/Modal.h"
#include "registry/RegValues.h"
#include "settings/AdminLock.h"
#include "settings/StringTable.h"
#include "trace/Trace.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

using namespace res::messagecenter;

// "EnableRSS" of the MessageCenter key, 0 when missing or unreadable.
reg::DWORD StoredEnableRss(bool managed)
{
    reg::Key key;
    reg::DWORD value = 0;
    if (reg::RegOpenKeyEx(managed ? reg::HKEY_LOCAL_MACHINE : reg::HKEY_CURRENT_USER, mc::MessageCenterKey(managed),
                          reg::KEY_READ, key.put()) != reg::ERROR_SUCCESS ||
        reg::QueryDword(key, QStringLiteral("EnableRSS"), &value) != reg::ERROR_SUCCESS)
        return 0;
    return value;
}

// The policy that fixes the choice; when the machine store cannot be read it fixes the Message
// Center messages, which fetch nothing.
qint32 EnableRssPolicy() { return settings::GetPolicyDword(QStringLiteral("EnableRSS"), 0); }

// The orange feed icon the text above it points to: a dot and two arcs on a rounded square.
QPixmap RssFeedIcon(int size, qreal ratio)
{
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    painter.setPen(QPen(QColor(0xB3, 0x50, 0x0A), s / 32));
    painter.setBrush(QColor(0xF2, 0x84, 0x1F));
    painter.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s / 6, s / 6);
    painter.setBrush(Qt::white);
    painter.setPen(Qt::NoPen);
    const QPointF corner(s * 0.22, s * 0.78);
    painter.drawEllipse(corner, s * 0.09, s * 0.09);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, s * 0.12, Qt::SolidLine, Qt::FlatCap));
    for (const qreal radius : {s * 0.33, s * 0.56}) {
        QPainterPath arc;
        arc.arcMoveTo(QRectF(corner.x() - radius, corner.y() - radius, 2 * radius, 2 * radius), 0);
        arc.arcTo(QRectF(corner.x() - radius, corner.y() - radius, 2 * radius, 2 * radius), 0, 90);
        painter.drawPath(arc);
    }
    return pixmap;
}

} // namespace

CMessageCenter::CMessageCenter()
    : CAreaPage(res::IDD_MESSAGECENTER, settings::Area::MessageCenter, QStringLiteral("HideMCenter")), m_check(m_model),
      m_import(m_model)
{
    connect(&m_import, &FeedImport::finished, this, &CMessageCenter::OnImportFinished);
    // The list holds still while an import merges into it.
    connect(&m_import, &FeedImport::mergingChanged, this, [this] {
        if (m_btnShowRss)
            ApplyOption(m_btnShowRss->isChecked());
    });
    connect(&m_check, &FeedCheck::feedAdded, this, &CMessageCenter::SelectRow);
    connect(&m_check, &FeedCheck::invalidFeed, this, [this] { ui::ShowInvalidFeedMessage(this); });
    connect(&m_check, &FeedCheck::dialogAnswer, this, [this](int answer) {
        if (m_hFeedDialog)
            m_hFeedDialog->OnRssCheckResult(answer);
    });
}

CMessageCenter::~CMessageCenter()
{
    m_check.Stop();
    m_import.Stop();
}

void CMessageCenter::BuildContent(QVBoxLayout* layout)
{
    m_btnShowMessages = new QRadioButton(DialogText(IDC_SHOW_MESSAGES));
    ui::BindControl(m_btnShowMessages, IDC_SHOW_MESSAGES, m_btnShowMessages->text());
    layout->addWidget(m_btnShowMessages);
    QLabel* messagesText = AddText(layout, res::IDC_INTRO);
    messagesText->setContentsMargins(20, 0, 0, 6);

    m_btnShowRss = new QRadioButton(DialogText(IDC_SHOW_RSS));
    ui::BindControl(m_btnShowRss, IDC_SHOW_RSS, m_btnShowRss->text());
    layout->addWidget(m_btnShowRss);
    auto* rssRow = new QHBoxLayout;
    rssRow->setContentsMargins(20, 0, 0, 0);
    auto* rssText = new QVBoxLayout;
    AddText(rssText, res::IDC_INTRO2);
    rssRow->addLayout(rssText, 1);
    auto* icon = new QLabel;
    icon->setPixmap(RssFeedIcon(24, devicePixelRatioF()));
    icon->setAlignment(Qt::AlignTop);
    ui::BindControl(icon, IDC_RSS_ICON, res::LoadResString(IDS_RSS_ICON));
    rssRow->addWidget(icon);
    layout->addLayout(rssRow);

    m_list = MakeCheckList(layout, IDC_FEEDS_LABEL, IDC_FEEDLIST, &m_model, &m_feedsLabel);
    m_list->viewport()->setAcceptDrops(true);
    m_list->viewport()->installEventFilter(this);
    layout->addWidget(m_list, 1);
    m_status = ui::StatusLine(IDC_LIST_STATUS, res::LoadResString(IDS_FEEDS_UNREADABLE));
    layout->addWidget(m_status);
    m_importStatus = ui::StatusLine(IDC_IMPORT_STATUS);
    layout->addWidget(m_importStatus);

    m_btnNew = new QPushButton(DialogText(IDC_NEW));
    m_btnEdit = new QPushButton(DialogText(IDC_EDIT));
    m_btnDelete = new QPushButton(DialogText(IDC_DELETE));
    m_btnImport = new QPushButton(DialogText(IDC_IMPORT));
    layout->addLayout(ui::ButtonRow({{m_btnNew, IDC_NEW}, {m_btnEdit, IDC_EDIT}, {m_btnDelete, IDC_DELETE}, {m_btnImport, IDC_IMPORT}}));

    connect(m_btnDelete, &QPushButton::clicked, this, &CMessageCenter::OnBnClickedDeleteFeed);
    connect(m_btnNew, &QPushButton::clicked, this, &CMessageCenter::OnBnClickedNewFeed);
    connect(m_btnShowRss, &QRadioButton::clicked, this, &CMessageCenter::OnBnClickedDisplayRss);
    connect(m_btnShowMessages, &QRadioButton::clicked, this, &CMessageCenter::OnBnClickedDisplayMessages);
    connect(m_btnImport, &QPushButton::clicked, this, &CMessageCenter::OnBnClickedImport);
    connect(m_btnEdit, &QPushButton::clicked, this, &CMessageCenter::OnBnClickedEditFeed);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &CMessageCenter::OnLvnItemchangedFeedList);
}

QList<QWidget*> CMessageCenter::ContentControls() const
{
    return {m_btnShowMessages, m_btnShowRss, m_btnNew, m_btnDelete, m_btnEdit, m_btnImport, m_list, m_feedsLabel};
}

void CMessageCenter::ApplyPolicy()
{
    CAreaPage::ApplyPolicy();
    if (EnableRssPolicy() != -1) {
        m_btnShowMessages->setEnabled(false);
        m_btnShowRss->setEnabled(false);
    }
}

void CMessageCenter::LoadContent()
{
    const bool managed = settings::IsManagedMode();
    QHeaderView* header = m_list->header();
    header->setMinimumSectionSize(0);
    header->setStretchLastSection(true);
    m_list->setColumnWidth(0, int(20 * logicalDpiX() / 96.0));
    m_list->EnableCheckBoxes();

    reg::DWORD enableRss = StoredEnableRss(managed);
    const qint32 policy = EnableRssPolicy();
    if (policy == 0 || policy == 1)
        enableRss = reg::DWORD(policy);

    m_model.LoadFeedList(managed ? reg::HKEY_LOCAL_MACHINE : reg::HKEY_CURRENT_USER, mc::RssKey(managed));
    m_status->setVisible(!m_model.IsComplete());
    SelectRow(m_model.rowCount() > 0 ? 0 : -1);

    m_btnShowRss->setChecked(enableRss != 0);
    m_btnShowMessages->setChecked(enableRss == 0);
    ApplyOption(enableRss != 0);
}

bool CMessageCenter::ListEditable() const
{
    return !m_bLocked && m_model.IsComplete() && m_btnShowRss->isChecked() && !m_import.IsMerging();
}

void CMessageCenter::ApplyOption(bool displayRss)
{
    if (m_bLocked)
        return;
    m_list->setEnabled(displayRss && !m_import.IsMerging());
    m_feedsLabel->setEnabled(displayRss);
    m_btnNew->setEnabled(ListEditable());
    m_btnImport->setEnabled(ListEditable());
    OnLvnItemchangedFeedList();
}

void CMessageCenter::OnBnClickedDisplayRss() { ApplyOption(true); }

void CMessageCenter::OnBnClickedDisplayMessages() { ApplyOption(false); }

void CMessageCenter::OnLvnItemchangedFeedList()
{
    if (m_bLocked)
        return;
    const int row = m_list->GetSelectionMark();
    const bool editable = ListEditable() && row >= 0 && !m_model.IsKept(row);
    m_btnEdit->setEnabled(editable);
    m_btnDelete->setEnabled(editable);
}

void CMessageCenter::SelectRow(int row)
{
    m_list->SetSelectionMark(row);
    if (row >= 0)
        m_list->scrollTo(m_model.index(row, 1));
    OnLvnItemchangedFeedList();
}

bool CMessageCenter::RunFeedDialog(RssFeed& feed, int editedRow)
{
    QStringList urls;
    for (const mc::FeedEntry& entry : m_model.Entries())
        urls.append(entry.feed.xmlUrl);
    CAddRssItem dialog(feed, urls, this);
    m_hFeedDialog = &dialog;
    connect(&dialog, &CAddRssItem::feedSubmitted, this,
            [this, editedRow](const RssFeed& submitted) { m_check.CheckDialogFeed(submitted, editedRow); });
    const bool accepted = dialog.DoModal() == QDialog::Accepted;
    // A check the editor started ends with it.
    m_check.Stop();
    return accepted;
}

void CMessageCenter::OnBnClickedNewFeed()
{
    RssFeed feed;
    if (RunFeedDialog(feed, -1))
        SelectRow(m_model.AddFeedItem(feed));
}

void CMessageCenter::OnBnClickedEditFeed()
{
    const int row = m_list->GetSelectionMark();
    if (row < 0 || m_model.IsKept(row))
        return;
    RssFeed feed = m_model.Feed(row);
    if (RunFeedDialog(feed, row))
        SelectRow(m_model.ReplaceFeed(row, feed));
}

void CMessageCenter::OnBnClickedDeleteFeed()
{
    const int answer = ui::ShowMessageBox(this, res::LoadResString(res::IDS_DELETE_FEED_QUESTION), res::LoadResString(res::IDS_DELETE),
                                          QMessageBox::Warning, QMessageBox::Ok | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel)
        return;
    const int row = m_list->GetSelectionMark();
    if (row >= 0 && !m_model.IsKept(row))
        SelectRow(m_model.DeleteFeed(row));
}

void CMessageCenter::OnBnClickedImport()
{
    CImportRssFeeds dialog(this);
    if (dialog.DoModal() == QDialog::Accepted) {
        const CImportRssFeeds::Selection chosen = dialog.Chosen();
        m_importStatus->hide();
        if (chosen.choice == CImportRssFeeds::kBrowser)
            m_import.ImportFromLibrary();
        else
            m_import.LoadOPML(chosen.path);
    }
    m_btnImport->setFocus();
}

void CMessageCenter::OnImportFinished(FeedImport::Outcome outcome, qsizetype added)
{
    const bool merged = outcome == FeedImport::Outcome::Merged;
    m_importStatus->setText(merged ? res::LoadResString(IDS_IMPORT_DONE).arg(added) : res::LoadResString(IDS_IMPORT_FAILED));
    m_importStatus->show();
    if (merged)
        SelectRow(m_model.rowCount() > 0 ? 0 : -1);
    // Import lost the focus while the list held still; another tab keeps its own.
    if (m_btnImport->isEnabled() && m_btnImport->isVisible())
        m_btnImport->setFocus();
}

bool CMessageCenter::AcceptsDrops() const { return ListEditable() && m_list->isEnabled(); }

void CMessageCenter::CheckDroppedFeed(const RssFeed& feed)
{
    if (m_check.CheckDroppedFeed(feed) != FeedCheck::DropOutcome::NameTaken)
        return;
    ui::ShowDuplicateNameMessage(this);
    RssFeed edited = feed;
    if (RunFeedDialog(edited, -1))
        SelectRow(m_model.AddFeedItem(edited));
}

bool CMessageCenter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_list->viewport())
        return CAreaPage::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (AcceptsDrops()) {
            // A copy: the source never removes what it offered.
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!AcceptsDrops()) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        // The check may ask the user; the drag ends first.
        const std::optional<RssFeed> feed = mc::FeedFromDrop(*drop->mimeData());
        if (feed)
            QMetaObject::invokeMethod(this, [this, dropped = *feed] { CheckDroppedFeed(dropped); }, Qt::QueuedConnection);
        return true;
    }
    default:
        return CAreaPage::eventFilter(watched, event);
    }
}

void CMessageCenter::SaveContent(app::PageSave& save)
{
    mc::SaveFeeds(m_model.Entries(), m_model.IsComplete(), m_btnShowRss->isChecked(), save);
    mc::DeleteWorkingCopy(save);
}

void CMessageCenter::FreeRecords() { m_model.FreeFeedItems(); }

app::SaveResult CMessageCenter::OnOK()
{
    TRACE("CMessageCenter::OnOK");
    m_check.Stop();
    m_import.Stop();
    return CAreaPage::OnOK();
}

void CMessageCenter::OnCancel()
{
    TRACE("CMessageCenter::OnCancel");
    m_check.Stop();
    m_import.Stop();
    CAreaPage::OnCancel();
    if (app::MaySaveContent())
        mc::DeleteWorkingCopy();
}

bool CMessageCenter::OnSetActive()
{
    ui::GiveFocus(m_list);
    return CAreaPage::OnSetActive();
}
