#include "download/port_control.h"

namespace pelmora {

PortControl::PortControl(SerialPort& port, MainView& view, MessageBox& messages)
    : port_(port), view_(view), messages_(messages) {}

void PortControl::toggle() {
    if (port_.isOpen()) {
        closeSequence();
        return;
    }
    if (!openSequence()) reportFailure();
}

bool PortControl::openSequence() {
    const int number = view_.portIndex() + 1;
    if (number < 1) return false;  // typed text: no entry is selected
    port_.setPortNumber(number);
    port_.setSettings(portSettings);
    port_.setRawMode(true);
    port_.setOutBufferSize(portOutBufferSize);
    port_.setInBufferSize(portInBufferSize);
    if (!port_.open()) return false;
    view_.setLamp(lampOn);
    port_.setReadLength(0);
    port_.setReceiveThreshold(1);
    port_.setSendThreshold(0);
    view_.setPortButtonCaption(closePortCaption);
    view_.setPortListEnabled(false);
    return true;
}

void PortControl::closeSequence() {
    port_.close();
    view_.setLamp(lampOff);
    view_.setPortButtonCaption(openPortCaption);
    view_.setPortListEnabled(true);
    view_.setStatus("");
    view_.setProgressVisible(false);
}

void PortControl::reportFailure() {
    view_.setLamp(lampOff);
    messages_.show("出错了!", noSuchPortText, MessageBox::Icon::none);
}

void PortControl::portLost() {
    if (!port_.isOpen()) return;
    closeSequence();
    messages_.show("出错了!", noSuchPortText, MessageBox::Icon::none);
}

}  // namespace pelmora
