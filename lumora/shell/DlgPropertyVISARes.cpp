#include "lumora/shell/DlgPropertyVISARes.h"

#include "common/xmlfile/PathHelpers.h"
#include "common/xmlfile/TextHelpers.h"
#include "instruments/visa/Visa.h"
#include "lumora/LumoraStrings.h"
#include "lumora/core/ParameterInstru.h"
#include "lumora/shell/DialogData.h"
#include "platform/CodePage.h"
#include "platform/ControlId.h"
#include "platform/MessageBox.h"
#include "platform/Numbers.h"
#include "platform/StringTable.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int kDefaultTimeout = 3000;
constexpr int kMaxTimeout = 1000000;
constexpr int kMaxBoard = 31;
const char16_t* const kTerminations[] = {u"NULL", u"\\n", u"\\r", u"\\r\\n", u"\\n\\r"};
// What ShellExecute reported for a missing program and for one it could not start.
constexpr int kErrorFileNotFound = 2;
constexpr int kErrorAccessDenied = 5;

// The edit holds what is typed, a comma or a point too: a filter that dropped them would make "30,5" a
// 305. OK refuses what is not a whole number.
QLineEdit* DigitsEdit(int id, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    platform::SetControlId(edit, id);
    return edit;
}

QStringList ResourceParts(const QString& resource) {
    QStringList parts;
    SplitString(resource, QStringLiteral("::"), parts);
    return parts;
}

// The number that starts at the first digit of the interface part; 0 when it has none.
int BoardOf(const QString& part) {
    for (qsizetype i = 0; i < part.size(); ++i) {
        if (part[i].isDigit())
            return platform::WToI(part.mid(i));
    }
    return 0;
}

} // namespace

CDlgPropertyVISARes::CDlgPropertyVISARes(CParameterInstru& record, QWidget* parent)
    : QDialog(parent), m_record(record), m_timeout(platform::WToI(record.Timeout)) {
    if (m_timeout < 1 || m_timeout > kMaxTimeout)
        m_timeout = kDefaultTimeout;
    m_resource = record.Resource;
    m_addressUsb = record.AddressUSB;
    shell::RegisterSettingsStrings();
    setWindowTitle(platform::LoadString(IDS_VISARES_TITLE));
    platform::SetControlId(this, IDD);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QGridLayout;
    m_picture = new QLabel(this);
    m_picture->setFixedSize(48, 48);
    platform::SetControlId(m_picture, IDC_PICTURE);
    top->addWidget(m_picture, 0, 0, 3, 1);
    top->addWidget(new QLabel(platform::LoadString(IDS_VISARES_NAME), this), 0, 1);
    m_editResource = new QLineEdit(this);
    m_editResource->setReadOnly(true);
    m_editResource->setMinimumWidth(300);
    platform::SetControlId(m_editResource, IDC_RESOURCE);
    top->addWidget(m_editResource, 0, 2, 1, 3);
    top->addWidget(new QLabel(platform::LoadString(IDS_VISARES_INTERFACE), this), 1, 1);
    m_comboInterface = new QComboBox(this);
    m_comboInterface->addItems({QStringLiteral("LAN"), QStringLiteral("USB")});
    platform::SetControlId(m_comboInterface, IDC_INTERFACE);
    top->addWidget(m_comboInterface, 1, 2);
    top->addWidget(new QLabel(platform::LoadString(IDS_VISARES_BOARD), this), 1, 3);
    m_editBoard = DigitsEdit(IDC_BOARD, this);
    top->addWidget(m_editBoard, 1, 4);
    top->addWidget(new QLabel(platform::LoadString(IDS_VISARES_TIMEOUT), this), 2, 1);
    m_editTimeout = DigitsEdit(IDC_TIMEOUT, this);
    top->addWidget(m_editTimeout, 2, 2);
    top->addWidget(new QLabel(platform::LoadString(IDS_VISARES_TERMINATION), this), 2, 3);
    m_comboTermination = new QComboBox(this);
    for (const char16_t* text : kTerminations)
        m_comboTermination->addItem(QString::fromUtf16(text));
    platform::SetControlId(m_comboTermination, IDC_TERMINATION);
    top->addWidget(m_comboTermination, 2, 4);
    layout->addLayout(top);

    m_group = new QGroupBox(this);
    platform::SetControlId(m_group, IDC_GROUP);
    auto* address = new QGridLayout(m_group);
    m_editAddress = new QLineEdit(m_group);
    // An IPv4 address or a host name: nothing that would end the host's part of the resource name.
    m_editAddress->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[A-Za-z0-9.\\-]*")), m_editAddress));
    platform::SetControlId(m_editAddress, IDC_ADDRESS_IP);
    address->addWidget(m_editAddress, 0, 0, 1, 2);
    auto* portFirst = new QLineEdit(m_group);
    m_editPort = new QLineEdit(m_group);
    auto* portLast = new QLineEdit(m_group);
    platform::SetControlId(portFirst, IDC_PORT_FIRST);
    platform::SetControlId(m_editPort, IDC_PORT);
    platform::SetControlId(portLast, IDC_PORT_LAST);
    m_portFields = {portFirst, m_editPort, portLast};
    portFirst->hide();
    portLast->hide();
    address->addWidget(new QLabel(platform::LoadString(IDS_VISARES_PORT), m_group), 1, 0);
    address->addWidget(m_editPort, 1, 1);
    m_usbPrompt = new QLabel(platform::LoadString(IDS_VISARES_SELECT), m_group);
    platform::SetControlId(m_usbPrompt, IDC_USB_PROMPT);
    m_comboUsb = new QComboBox(m_group);
    platform::SetControlId(m_comboUsb, IDC_USB_LIST);
    address->addWidget(m_usbPrompt, 2, 0);
    address->addWidget(m_comboUsb, 2, 1);
    address->setColumnStretch(1, 1);
    layout->addWidget(m_group);

    auto* hidden = new QCheckBox(platform::LoadString(IDS_VISARES_VIRTUAL), this);
    auto* test = new QPushButton(platform::LoadString(IDS_VISARES_CONNECTION_TEST), this);
    auto* session = new QPushButton(platform::LoadString(IDS_VISARES_SESSION), this);
    platform::SetControlId(hidden, IDC_VIRTUAL);
    platform::SetControlId(test, IDC_TEST);
    platform::SetControlId(session, IDC_SESSION);
    hidden->hide();
    test->hide();
    session->hide();

    shell::AddOkCancel(this, layout);

    m_editTimeout->setText(QString::number(m_timeout));
    FindUsbResources();
    ParseResource();
    m_editBoard->setText(QString::number(m_board));
    if (m_composeAtInit)
        Compose();
    ShowInterface();
    SelectTermination(record.EndOfLine);

    // Only what the user changes recomposes the name, so an opened resource is kept as it stands.
    QObject::connect(m_comboInterface, &QComboBox::activated, this, [this](int index) {
        m_interface = index;
        Compose();
    });
    QObject::connect(m_editBoard, &QLineEdit::textEdited, this, [this](const QString& text) {
        shell::ParseInt(text, 0, kMaxBoard, m_board);
        Compose();
    });
    QObject::connect(m_editAddress, &QLineEdit::textEdited, this, [this] { Compose(); });
    QObject::connect(m_comboUsb, &QComboBox::activated, this, [this](int index) { OnUsbPick(index); });
    QObject::connect(session, &QPushButton::clicked, this, [this] { StartProbeDesk(); });
}

CDlgPropertyVISARes::~CDlgPropertyVISARes() = default;

void CDlgPropertyVISARes::FindUsbResources() {
    ViSession manager = 0;
    if (viOpenDefaultRM(&manager) != VI_SUCCESS)
        return;
    ViFindList list = 0;
    ViUInt32 count = 0;
    ViChar name[VI_FIND_BUFLEN] = {};
    if (viFindRsrc(manager, "?*USB?*INSTR", &list, &count, name) != VI_SUCCESS) {
        viClose(manager);
        return;
    }
    for (ViUInt32 i = 0; i < count; ++i) {
        m_comboUsb->addItem(platform::FromAnsi(name));
        if (i + 1 < count && viFindNext(list, name) != VI_SUCCESS)
            break;
    }
    viClose(list);
    viClose(manager);
}

void CDlgPropertyVISARes::ParseResource() {
    m_editAddress->setText(QStringLiteral("127.0.0.1"));
    // A record without a name of its own (empty, or short of three parts) opens on the LAN, with the
    // name composed from board 0 and the address shown.
    const QStringList parts = m_resource.isEmpty() ? QStringList() : ResourceParts(m_resource);
    if (parts.size() < 3) {
        m_interface = eLan;
        m_composeAtInit = true;
        return;
    }
    // A board number out of range is shown as it stands: OK refuses it.
    m_board = BoardOf(parts[0]);
    if (parts[0].contains(QStringLiteral("TCPIP"))) {
        m_interface = eLan;
        m_lanTail = parts.mid(2);
        const bool instr = m_lanTail.size() == 1 && m_lanTail[0] == QStringLiteral("INSTR");
        // A name of the form the dialog writes shows the stored address and is composed afresh from
        // it; any other (a socket, a device name) keeps its own host and is not recomposed.
        if (instr && !m_record.AddressIP.trimmed().isEmpty()) {
            m_editAddress->setText(m_record.AddressIP.trimmed());
        } else {
            m_editAddress->setText(parts[1]);
        }
        m_composeAtInit = instr && m_board >= 0 && m_board <= kMaxBoard;
        if (m_lanTail.size() == 2 && m_lanTail[1] == QStringLiteral("SOCKET"))
            m_editPort->setText(m_lanTail[0]);
    } else if (parts[0].contains(QStringLiteral("USB"))) {
        m_interface = eUsb;
        m_addressUsb = m_resource;
        int index = m_comboUsb->findText(m_resource);
        if (index < 0) {
            // An instrument that is not attached now keeps its name on the list.
            m_comboUsb->insertItem(0, m_resource);
            index = 0;
        }
        m_comboUsb->setCurrentIndex(index);
    }
}

void CDlgPropertyVISARes::ShowInterface() {
    m_comboInterface->setCurrentIndex(m_interface);
    const bool lan = m_interface == eLan;
    const bool usb = m_interface == eUsb;
    m_group->setTitle(usb ? QStringLiteral(" USB ") : QStringLiteral(" TCPIP "));
    m_editAddress->setEnabled(lan);
    for (QWidget* field : m_portFields)
        field->setEnabled(false);
    m_comboUsb->setVisible(usb);
    m_usbPrompt->setVisible(usb);
    // The style's icons may come smaller than the picture: they are scaled up to fill it.
    const QIcon icon =
        QApplication::style()->standardIcon(usb ? QStyle::SP_DriveHDIcon : QStyle::SP_DriveNetIcon);
    m_picture->setPixmap(icon.pixmap(icon.actualSize(QSize(48, 48)))
                             .scaled(48, 48, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_editResource->setText(m_resource);
}

void CDlgPropertyVISARes::Compose() {
    if (m_interface == eLan) {
        const QString host = m_editAddress->text().trimmed();
        m_resource = host.isEmpty() ? QString()
                                    : platform::CFormat("TCPIP%d::", m_board) + host + QStringLiteral("::") +
                                          m_lanTail.join(QStringLiteral("::"));
    } else if (m_interface == eUsb) {
        // With no instrument picked the name is empty, and OK refuses it.
        m_resource = m_addressUsb;
        if (m_comboUsb->findText(m_addressUsb) < 0)
            m_comboUsb->setCurrentIndex(-1);
    }
    ShowInterface();
}

void CDlgPropertyVISARes::OnUsbPick(int index) {
    if (index < 0)
        return;
    m_addressUsb = m_comboUsb->itemText(index);
    m_resource = m_addressUsb;
    ShowInterface();
}

void CDlgPropertyVISARes::SelectTermination(const QString& endOfLine) {
    QString escaped = endOfLine;
    escaped.replace(u'\n', QStringLiteral("\\n")).replace(u'\r', QStringLiteral("\\r"));
    if (escaped.isEmpty())
        escaped = QStringLiteral("NULL");
    int index = m_comboTermination->findText(escaped);
    if (index < 0) {
        m_comboTermination->addItem(escaped);
        index = m_comboTermination->count() - 1;
    }
    m_comboTermination->setCurrentIndex(index);
}

bool CDlgPropertyVISARes::TakeValues(int& timeout, int& board) {
    return shell::GetInt(m_editTimeout, 1, kMaxTimeout, timeout) &&
           shell::GetInt(m_editBoard, 0, kMaxBoard, board);
}

int CDlgPropertyVISARes::StartProbeDesk() {
    int timeout = 0, board = 0;
    if (!TakeValues(timeout, board))
        return 0;
    const QString program = GetModuleDirectory() + QStringLiteral("probedesk");
    // An argument list reaches the program as it stands: nothing in a resource name is interpreted.
    const QStringList arguments{QStringLiteral("/VISA:") + m_resource,
                                QStringLiteral("/Timeout:") + QString::number(timeout)};
    if (QProcess::startDetached(program, arguments, GetModuleDirectory()))
        return 1;
    const int code = QFileInfo::exists(program) ? kErrorAccessDenied : kErrorFileNotFound;
    platform::StopBox(platform::LoadString(IDS_VISARES_START_FAILED).arg(code));
    return 0;
}

void CDlgPropertyVISARes::accept() {
    int timeout = 0, board = 0;
    if (!TakeValues(timeout, board))
        return;
    if (m_resource.isEmpty()) {
        platform::StopBox(IDS_VISARES_NAME_EMPTY);
        return;
    }
    m_timeout = timeout;
    m_record.Resource = m_resource;
    m_record.Timeout = QString::number(timeout);
    const QString termination = m_comboTermination->currentText();
    m_record.EndOfLine = termination.contains(QStringLiteral("NULL"))
                             ? QString()
                             : QString(termination)
                                   .replace(QStringLiteral("\\n"), QStringLiteral("\n"))
                                   .replace(QStringLiteral("\\r"), QStringLiteral("\r"));
    const QStringList parts = ResourceParts(m_resource);
    if (parts.size() >= 3 && parts[0].contains(QStringLiteral("TCPIP")))
        m_record.AddressIP = parts[1];
    else if (parts.size() >= 3 && parts[0].contains(QStringLiteral("USB")))
        m_record.AddressUSB = m_resource;
    QDialog::accept();
}
