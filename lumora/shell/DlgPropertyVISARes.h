#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class CParameterInstru;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

// One instrument's connection: its VISA resource name, composed from the interface (LAN or USB), the
// board number and the host, or picked from the USB instruments found; the time-out and the command
// termination. A resource the fields cannot express (a socket port, a device name, another
// interface) stays as it is until the user changes the interface, board or host; only its host and
// board are then replaced. The record is written on OK only.
class CDlgPropertyVISARes : public QDialog {
public:
    enum : int {
        IDD = 55108,
        IDC_PICTURE = 1107,
        IDC_USB_LIST = 1116,
        IDC_USB_PROMPT = 1117,
        IDC_RESOURCE = 55112,
        IDC_TIMEOUT = 55113,
        IDC_BOARD = 55115,
        IDC_ADDRESS_IP = 55116,
        IDC_GROUP = 55117,
        IDC_PORT = 55118,
        IDC_PORT_FIRST = 55122,
        IDC_VIRTUAL = 55124,
        IDC_INTERFACE = 55129,
        IDC_TEST = 55201,
        IDC_SESSION = 55202,
        IDC_TERMINATION = 55211,
        IDC_PORT_LAST = 55215,
    };
    enum eInterface : int { eUnknown = -1, eLan = 0, eUsb = 1 };

    explicit CDlgPropertyVISARes(CParameterInstru& record, QWidget* parent = nullptr);
    ~CDlgPropertyVISARes() override;

    // The resource name as the dialog would store it now.
    QString Resource() const { return m_resource; }
    int Timeout() const { return m_timeout; }

    // Starts probedesk from the program folder on the resource, with an argument list; 0 and a
    // message when it cannot be started.
    int StartProbeDesk();

    void accept() override;

private:
    void FindUsbResources();
    void ParseResource();
    void ShowInterface();
    void Compose();
    void OnUsbPick(int index);
    void SelectTermination(const QString& endOfLine);
    bool TakeValues(int& timeout, int& board);

    CParameterInstru& m_record;
    int m_timeout;
    int m_board = 0;
    bool m_composeAtInit = false;
    int m_interface = eUnknown;
    QString m_resource;
    QString m_addressUsb;
    // The parts of a LAN resource behind its host: "INSTR", or a device name or a port with "SOCKET".
    QStringList m_lanTail{QStringLiteral("INSTR")};

    QLineEdit* m_editResource = nullptr;
    QLineEdit* m_editTimeout = nullptr;
    QComboBox* m_comboInterface = nullptr;
    QLineEdit* m_editBoard = nullptr;
    QGroupBox* m_group = nullptr;
    QLineEdit* m_editAddress = nullptr;
    QLineEdit* m_editPort = nullptr;
    QList<QWidget*> m_portFields;
    QComboBox* m_comboTermination = nullptr;
    QComboBox* m_comboUsb = nullptr;
    QLabel* m_usbPrompt = nullptr;
    QLabel* m_picture = nullptr;
};
