#pragma once
// What the link shows on the main window: the alarm lamp, code and text, and the port lamp.
// The main window implements this; until one is installed a plain record keeps the state.

#include <QString>

namespace kz {

class LinkView {
public:
    virtual ~LinkView() = default;
    virtual void setAlarmLampVisible(bool visible) = 0;   // imgAlarmLed
    virtual void setAlarmNo(const QString &code) = 0;     // lblAlarmNo
    virtual void setErrorComment(const QString &text) = 0;  // lblErrorComment
    virtual void setPortLampVisible(bool visible) = 0;    // imgPortGreen
};

// Keeps the last state shown; the view in use while no window has installed its own.
class RecordedLinkView final : public LinkView {
public:
    void setAlarmLampVisible(bool visible) override { alarmLamp = visible; }
    void setAlarmNo(const QString &code) override { alarmNo = code; }
    void setErrorComment(const QString &text) override { errorComment = text; }
    void setPortLampVisible(bool visible) override { portLamp = visible; }

    bool alarmLamp = false;
    QString alarmNo;
    QString errorComment = QStringLiteral("No Error");
    bool portLamp = false;
};

LinkView &linkView();
// Installs v (not owned); nullptr restores the built-in record.
void SetLinkView(LinkView *v);
// The built-in record (for tests that run without a main window).
RecordedLinkView &RecordedView();

}  // namespace kz
