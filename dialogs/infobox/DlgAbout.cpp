#include "dialogs/infobox/DlgAbout.h"

#include "dialogs/infobox/FileVersionInfo.h"
#include "dialogs/infobox/GradientStatic.h"
#include "dialogs/infobox/InfoBox.h"
#include "dialogs/infobox/InfoBoxStrings.h"
#include "dialogs/infobox/XHyperLink.h"
#include "dialogs/infobox/xStatic.h"
#include "platform/ControlId.h"
#include "platform/StringTable.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace infobox {
namespace {

constexpr controls::COLORREF kBackground = 0xF8F4EF;
constexpr controls::COLORREF kCaptionTop = 0xD09982;

using platform::LoadString;

QLabel* Line(QWidget* parent, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

void CDlgAbout::RegisterStrings() {
    platform::RegisterStrings({
        {IDS_ABOUT_TITLE, u"关于"},
        {IDS_ABOUT_OK, u"确定"},
        {IDS_ABOUT_SYSINFO, u"系统信息"},
        {IDS_ABOUT_COMPANY, u"TORVANE TECHNOLOGIES"},
        {IDS_ABOUT_CAPTION, u"Lumora 低电流直流测试软件"},
        {IDS_ABOUT_VERSION, u"版本 %1.%2.%3  %4"},
        {IDS_ABOUT_COPYRIGHT,
         u"版权所有 (C) TORVANE "
         u"TECHNOLOGIES。保留所有权利。未经授权复制或分发本软件的全部或部分，将受到法律追究。"},
        {IDS_ABOUT_WEBLINK, u"访问我们的网站"},
        {IDS_ABOUT_MAILLINK, u"技术支持邮箱"},
    });
}

CDlgAbout::CDlgAbout(QWidget* parent) : QDialog(parent) {
    RegisterStrings();
    setObjectName(QString::number(IDD));
    setWindowTitle(LoadString(IDS_ABOUT_TITLE));
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, controls::ToQColor(kBackground));
    setPalette(colours);

    m_banner = new CxStatic(this);
    platform::SetControlId(m_banner, IDC_BANNER);
    m_banner->LoadFromResource(IDB_BANNER, false);
    m_banner->setFixedSize(m_banner->size());

    m_caption = new CGradientStatic(this);
    platform::SetControlId(m_caption, IDC_CAPTION);
    m_caption->setText(LoadString(IDS_ABOUT_CAPTION));
    m_caption->SetColor(kCaptionTop);
    m_caption->SetGradientColor(kBackground);
    m_caption->SetVertical(true);
    m_caption->setMinimumHeight(28);

    CFileVersionInfo version;
    version.Create(static_cast<const void*>(nullptr));
    m_webLink = new CXHyperLink(this);
    m_webLink->setText(LoadString(IDS_ABOUT_WEBLINK));
    m_webLink->SetURL(QString::fromLatin1(kWebAddress));
    platform::SetControlId(m_webLink, IDC_WEBLINK);
    m_mailLink = new CXHyperLink(this);
    m_mailLink->setText(LoadString(IDS_ABOUT_MAILLINK));
    m_mailLink->SetURL(QString::fromLatin1(kMailAddress));
    platform::SetControlId(m_mailLink, IDC_MAILLINK);

    auto* ok = new QPushButton(LoadString(IDS_ABOUT_OK), this);
    platform::SetControlId(ok, 1);
    ok->setDefault(true);
    auto* sysInfo = new QPushButton(LoadString(IDS_ABOUT_SYSINFO), this);
    platform::SetControlId(sysInfo, IDC_SYSINFO);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_banner, 0, Qt::AlignHCenter);
    layout->addWidget(m_caption);
    layout->addWidget(Line(this, LoadString(IDS_ABOUT_COMPANY)));
    layout->addWidget(Line(this, LoadString(IDS_ABOUT_VERSION)
                                     .arg(version.GetFileVersion(3))
                                     .arg(version.GetFileVersion(2))
                                     .arg(version.GetFileVersion(1))
                                     .arg(version.GetPrivateBuild())));
    // Each link keeps its left edge and is as wide as its text.
    layout->addWidget(m_webLink, 0, Qt::AlignLeft);
    layout->addWidget(m_mailLink, 0, Qt::AlignLeft);
    layout->addWidget(Line(this, LoadString(IDS_ABOUT_COPYRIGHT)));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(sysInfo);
    layout->addLayout(buttons);
    setWindowIcon(QIcon(CxStatic::ResourcePicture(IDI_ABOUT)));
}

void CDlgAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    QApplication::beep();
}

} // namespace infobox

extern "C" int ShowAboutDialog(QWidget* parent) {
    infobox::CDlgAbout dialog(parent);
    return dialog.exec() == QDialog::Accepted ? 1 : 0;
}
