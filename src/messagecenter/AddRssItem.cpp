#include "messagecenter/AddRssItem.h"

#include "messagecenter/FeedCheck.h"
#include "pagekit/Controls.h"
#include "pagekit/Modal.h"
#include "settings/StringTable.h"

#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr unsigned kTemplate = res::messagecenter::IDD_ADDRSSITEM;
using namespace res::messagecenter;
// The boxes take 260 characters as typed; a longer stored URL is shown whole.
constexpr int kMaxTyped = 260;
constexpr int kWidth = 420;

QLabel* MakeText(int controlId, const QString& text)
{
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    ui::BindControl(label, controlId);
    return label;
}

QLineEdit* MakeBox(QVBoxLayout* layout, int controlId, int labelId)
{
    auto* label = new QLabel(res::LoadDialogText(kTemplate, labelId));
    ui::BindControl(label, labelId, label->text());
    auto* box = new QLineEdit;
    box->setMaxLength(kMaxTyped);
    ui::BindControl(box, controlId, label->text());
    label->setBuddy(box);
    layout->addWidget(label);
    layout->addWidget(box);
    return box;
}

void ShowText(QLineEdit* box, const QString& text)
{
    box->setMaxLength(qMax(kMaxTyped, int(text.size())));
    box->setText(text);
}

} // namespace

CAddRssItem::CAddRssItem(RssFeed& feed, const QStringList& urlCompletions, QWidget* parent)
    : QDialog(parent), m_feed(feed)
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeText(IDC_FEED_PROMPT, res::LoadDialogText(kTemplate, IDC_FEED_PROMPT)));
    m_editName = MakeBox(layout, IDC_FEED_NAME, IDC_FEED_NAME_LABEL);
    m_nameHint = MakeText(IDC_FEED_NAME_HINT, res::LoadResString(IDS_FEED_NAME_UNFIT));
    m_nameHint->hide();
    layout->addWidget(m_nameHint);
    m_editXmlUrl = MakeBox(layout, IDC_FEED_XMLURL, IDC_FEED_XMLURL_LABEL);
    m_editHtmlUrl = MakeBox(layout, IDC_FEED_HTMLURL, IDC_FEED_HTMLURL_LABEL);
    auto* completer = new QCompleter(urlCompletions, this);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_editXmlUrl->setCompleter(completer);
    m_status = MakeText(IDC_FEED_STATUS, res::LoadResString(IDS_FEED_CHECKING));
    m_status->hide();
    layout->addWidget(m_status);
    layout->addStretch();

    QPushButton* cancel = nullptr;
    layout->addLayout(ui::OkCancelRow(kTemplate, &m_btnOk, &cancel));

    connect(m_editName, &QLineEdit::textChanged, this, &CAddRssItem::OnEnChangeFeed);
    connect(m_editXmlUrl, &QLineEdit::textChanged, this, &CAddRssItem::OnEnChangeFeed);
    connect(m_btnOk, &QPushButton::clicked, this, &CAddRssItem::OnBnClickedOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(kWidth, sizeHint().height());
}

int CAddRssItem::DoModal()
{
    OnInitDialog();
    return ui::ExecModal(*this);
}

void CAddRssItem::OnInitDialog()
{
    m_bNew = m_feed.xmlUrl.isEmpty();
    setWindowTitle(res::LoadResString(m_bNew ? res::IDS_NEW : res::IDS_EDIT));
    if (!m_bNew) {
        ShowText(m_editName, m_feed.name);
        ShowText(m_editXmlUrl, m_feed.xmlUrl);
        ShowText(m_editHtmlUrl, m_feed.htmlUrl);
    }
    OnEnChangeFeed();
}

void CAddRssItem::OnEnChangeFeed()
{
    const QString name = m_editName->text();
    const bool nameFits = name.isEmpty() || mc::FeedNameFits(name);
    m_nameHint->setVisible(!nameFits);
    m_btnOk->setEnabled(!name.isEmpty() && nameFits && mc::IsFeedUrl(m_editXmlUrl->text()));
}

void CAddRssItem::OnBnClickedOk()
{
    if (!m_btnOk->isEnabled())
        return;
    m_submitted = m_feed;
    m_submitted.name = m_editName->text().left(mc::kMaxFeedText);
    m_submitted.xmlUrl = m_editXmlUrl->text().left(mc::kMaxStoredUrl);
    m_submitted.htmlUrl = m_editHtmlUrl->text().left(mc::kMaxStoredUrl);
    if (m_bNew)
        m_submitted.Enable = 1;
    m_status->show();
    Q_EMIT feedSubmitted(m_submitted);
}

bool CAddRssItem::IsChecking() const { return !m_status->isHidden(); }

void CAddRssItem::OnRssCheckResult(int answer)
{
    m_status->hide();
    if (answer == FeedCheck::kAccepted) {
        m_feed = m_submitted;
        accept();
    } else if (answer == FeedCheck::kInvalid) {
        ui::ShowInvalidFeedMessage(this);
    } else if (answer == FeedCheck::kNameTaken) {
        ui::ShowDuplicateNameMessage(this);
    }
}
