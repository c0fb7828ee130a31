#pragma once
// Every text the tool shows: window captions, control texts, status lines and messages.

#include <cstdint>
#include <string>
#include <string_view>

#include "show/dialog_value.h"
#include "show/show_table.h"

namespace pelmora::texts {

// Left to us: neutral placeholders, never a real shop.
inline constexpr std::string_view shopUrl = "https://example.com/led-controller";
inline constexpr std::string_view shopPhone = "400-000-0000";

// The main window.
inline constexpr std::string_view windowTitle = "Pelmora发送软件";
inline constexpr std::string_view titleLine = "Pelmora发送软件 Ver1.2";
inline constexpr std::string_view openButton = "一.导入LED文件";
inline constexpr std::string_view sendButton = "二.发送到控制器";
inline constexpr std::string_view portGroup = "发送至串口";
inline constexpr std::string_view openPort = "打开串口";
inline constexpr std::string_view closePort = "关闭串口";
inline constexpr std::string_view colourOrderCaption = "RGB顺序";
inline constexpr std::string_view frameTimeCaption = "每帧时间";
inline constexpr std::string_view usedMemoryCaption = "已使用空间";
inline constexpr std::string_view shopCaption = "点此购买配套控制器或致电400-000-0000";
inline constexpr std::string_view frameTimeUnit = "毫秒";
inline std::string portEntry(int portNumber) { return "COM" + std::to_string(portNumber); }
inline constexpr std::string_view noDeviceTooltip = "没有对应的串口设备";
// After a device's name: it is there, but this user may not open it.
inline constexpr std::string_view notPermittedTooltip =
    " (设备存在,但当前用户无权打开:请把用户加入 dialout 组,然后重新登录)";

// The parameter dialog.
inline constexpr std::string_view inputFormTitle = "设置参数";
inline constexpr std::string_view inputFormCaption = "参数";
inline constexpr std::string_view dotsCaption = "全彩点数";
inline constexpr std::string_view framesCaption = "节目帧数";
inline constexpr std::string_view checkHint = "(如不正确,请手动输入)";
inline constexpr std::string_view okButton = "确定";
inline std::string showParametersCaption(int show) { return "输入第 " + plainDecimal(show) + " 个节目参数"; }

// The preview window.
inline constexpr std::string_view previewTitle = "节目预览";
inline constexpr std::string_view previewItem = "预览";
inline std::string previewFrameCaption(std::int64_t frame, std::int64_t frames) {
    return "第 " + plainDecimal(frame) + " / " + plainDecimal(frames) + " 帧";
}
inline std::string previewDescription(std::int64_t dots, std::int64_t frames, std::int64_t bytes, std::int64_t start) {
    return "点数 " + plainDecimal(dots) + "  帧数 " + plainDecimal(frames) + "  字节 " + plainDecimal(bytes) +
           "  起始地址 " + plainDecimal(start);
}

// The open-file dialog.
inline constexpr std::string_view fileDialogTitle = "打开led文件";
inline constexpr std::string_view fileFilterName = "dat files (*.led)";
inline constexpr std::string_view fileFilterPattern = "*.led";

// Status lines.
inline constexpr std::string_view sending = "开始发送中......";
inline constexpr std::string_view sent = "所有数据已经发送到控制器中.";

// Message box titles and texts.
inline constexpr std::string_view attention = "注意";
inline constexpr std::string_view notice = "提示";
inline constexpr std::string_view failed = "出错了!";
inline constexpr std::string_view wrongFile = "你没有打开任何文件或找开了错误的文件!";
inline constexpr std::string_view overCapacity = "文件长度超出了控制器的容量.";
inline constexpr std::string_view beyondFile = "点数或帧数超出了文件中的数据,请重新输入.";
inline std::string tooManyShows() { return "最多只能" + std::to_string(maxShows) + "个文件"; }
inline constexpr std::string_view noSuchPort = "不存在该串口,请重新选择.";
inline constexpr std::string_view noShows = "请先导入文件后再发送数据。";
inline std::string portNotOpen(int portNumber) {
    return "COM" + std::to_string(portNumber) + "串口没有打开或被占用了, 请换另一个串口或关闭占用该串口的程序。";
}

}  // namespace pelmora::texts
