#include "DlgFileNameField.h"
#include "PromptResources.h"
#include "PromptStrings.h"
#include "platform/StringTable.h"

#include "AMSEdit.h"
#include "ColorEdit.h"
#include "FileNamePattern.h"
#include "HelpLauncher.h"
#include "platform/ControlId.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextDocument>
#include <QTextOption>
#include <QVBoxLayout>

namespace promptkit {

namespace {

struct SKindDefaults {
    const char16_t* firstTag;
    const char16_t* firstValue;
    const char16_t* otherTag;
    const char16_t* otherValue;
};

// Tag and value a kind gives to the first row and to the others. An extension's value starts empty
// in every row: a preset "<ext>" would write a field that reads back as text.
constexpr SKindDefaults kKinds[] = {
    {u"<--->", u"", u"<--->", u""},
    {u"<text>", u"", u"", u""},
    {u"<cntr>", u"_%05d", u"<cntr>", u"_%05d"},
    {u"<time>", u"%Y-%m-%d_%H-%M-%S_%s", u"<time>", u"%Y-%m-%d_%H-%M-%S_%s"},
    {u"<ext>", u"", u"<ext>", u""},
};

const QStringList& KindNames() {
    static const QStringList names{
        platform::LoadString(IDS_FIELD_EMPTY), platform::LoadString(IDS_FIELD_TEXT),
        platform::LoadString(IDS_FIELD_COUNTER), platform::LoadString(IDS_FIELD_DATE_TIME),
        platform::LoadString(IDS_FIELD_EXTENSION)};
    return names;
}

} // namespace

CDlgFileNameField::CDlgFileNameField(QWidget* parent, const QString& pattern) : QDialog(parent) {
    RegisterPromptStrings();
    setWindowTitle(platform::LoadString(IDS_FILE_NAME_TITLE));
    auto* group = new QGroupBox((u' ' + platform::LoadString(IDS_FILE_NAME_GROUP) + u' '), this);
    auto* grid = new QGridLayout(group);
    // One "字段" over the kinds; the rows are numbered 1 to 5.
    auto* header = new QLabel(platform::LoadString(IDS_FILE_NAME_FIELD), group);
    header->setObjectName(QStringLiteral("fieldHeader"));
    grid->addWidget(header, 0, 1);
    for (int row = 0; row < 5; ++row) {
        auto* number = new QLabel(QString::number(row + 1), group);
        number->setObjectName(QStringLiteral("fieldNumber%1").arg(row + 1));
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_lists[row] = new QComboBox(group);
        m_lists[row]->addItems(KindNames());
        platform::SetControlId(m_lists[row], kListIds[row]);
        m_values[row] = new CAMSAlphanumericEdit(QStringLiteral("<>"), group);
        platform::SetControlId(m_values[row], kValueIds[row]);
        grid->addWidget(number, row + 1, 0);
        grid->addWidget(m_lists[row], row + 1, 1);
        grid->addWidget(m_values[row], row + 1, 2);
    }
    // The preview is read-only and centred under the rows.
    m_preview = new CColorEdit(group);
    platform::SetControlId(m_preview, IDC_PREVIEW);
    m_preview->SetTextColor(0x000000);
    m_preview->SetBkColor(0xE1FFFF);
    m_preview->setReadOnly(true);
    QTextOption centred = m_preview->document()->defaultTextOption();
    centred.setAlignment(Qt::AlignHCenter);
    m_preview->document()->setDefaultTextOption(centred);
    m_preview->setFixedHeight(m_preview->fontMetrics().height() * 2);
    grid->addWidget(m_preview, 6, 0, 1, 3);

    auto* ok = new QPushButton(platform::LoadString(IDS_OK), this);
    platform::SetControlId(ok, IDOK);
    ok->setDefault(true);
    auto* cancel = new QPushButton(platform::LoadString(IDS_CANCEL), this);
    platform::SetControlId(cancel, IDCANCEL);
    auto* help = new QPushButton(platform::LoadString(IDS_HELP), this);
    platform::SetControlId(help, IDC_HELP);
    connect(ok, &QPushButton::clicked, this, &CDlgFileNameField::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [] { InvokeHelp(QStringLiteral("输入文件名")); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);

    for (int row = 0; row < 5; ++row)
        ApplySelection(row);
    const std::vector<SFileNameField> fields = ParseFileNamePattern(pattern);
    for (int row = 0; row < 5 && row < static_cast<int>(fields.size()); ++row) {
        m_lists[row]->setCurrentIndex(fields[row].kind);
        ApplySelection(row);
        m_values[row]->SetWindowText(fields[row].text);
        if (row > 0 && fields[row].kind == kFieldText)
            m_tags[row] = m_values[row]->text();
    }
    RebuildPreview();
    RebuildPattern();
    for (int row = 0; row < 5; ++row) {
        connect(m_lists[row], &QComboBox::activated, this, [this, row] { ApplySelection(row); });
        connect(m_values[row], &QLineEdit::textChanged, this, [this, row] { OnValueEdited(row); });
    }
}

void CDlgFileNameField::ApplySelection(int row) {
    const int kind = std::clamp(m_lists[row]->currentIndex(), 0, 4);
    const SKindDefaults& defaults = kKinds[kind];
    m_values[row]->setReadOnly(kind == kFieldEmpty);
    m_tags[row] = QString::fromUtf16(row == 0 ? defaults.firstTag : defaults.otherTag);
    const QSignalBlocker quiet(m_values[row]);
    m_values[row]->SetWindowText(QString::fromUtf16(row == 0 ? defaults.firstValue : defaults.otherValue));
    RebuildPreview();
    RebuildPattern();
}

void CDlgFileNameField::OnValueEdited(int row) {
    if (row > 0 && m_lists[row]->currentIndex() == kFieldText) {
        m_tags[row] = m_values[row]->text();
        RebuildPreview();
    }
    RebuildPattern();
}

QString CDlgFileNameField::Preview() const {
    return m_preview->toPlainText();
}

void CDlgFileNameField::RebuildPreview() {
    QString preview;
    for (const QString& tag : m_tags)
        preview += tag;
    m_preview->SetText(preview);
}

void CDlgFileNameField::RebuildPattern() {
    m_pattern.clear();
    for (const CAMSAlphanumericEdit* value : m_values) {
        const QString text = value->GetValidText();
        if (!text.isEmpty())
            m_pattern += u'<' + text + u'>';
    }
}

void CDlgFileNameField::accept() {
    RebuildPattern();
    QDialog::accept();
}

} // namespace promptkit
