#pragma once
// The settings of a message box, held by the main window. Nothing shows a box from them:
// every message of the system goes through the notifier.

#include <QObject>
#include <QString>

#include <functional>
#include <set>

namespace controls {

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum class TMsgPosition { poDesigned, poScreenCenter };
enum class MsgDlgButton {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp,
};
using TMsgDlgButtons = std::set<MsgDlgButton>;
using TButtonClickEvent = std::function<void(MsgDlgButton)>;

class TMsgDlg : public QObject {
    Q_OBJECT
public:
    explicit TMsgDlg(QObject* owner = nullptr)
        : QObject(owner) {}

    bool Sound = false;
    int MsgLeft = -1;
    int MsgTop = -1;
    int HelpContext = 0;
    QString DisplayMsg;
    TMsgDlgType MsgDlgType = TMsgDlgType::mtInformation;
    TMsgPosition MsgPosition = TMsgPosition::poScreenCenter;
    TMsgDlgButtons VisibleButtons{MsgDlgButton::mbOK};
    TButtonClickEvent OnButtonClick;
};

} // namespace controls
