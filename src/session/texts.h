#pragma once
// Every text the tool shows: window captions, control texts, status lines and messages, and
// those of pelmora-send.

#include <cstdint>
#include <string>
#include <string_view>

#include "show/dialog_value.h"
#include "show/show_table.h"

namespace pelmora {
enum class PortFailure;  // platform/serial_port.h
enum class FileFailure;  // platform/file_system.h
}  // namespace pelmora

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
inline constexpr std::string_view missingTooltip = " (设备已不存在)";  // a link whose device has gone
inline constexpr std::string_view notSerialDeviceTooltip = " (不是串口设备)";
// After a device's name: what opening it would fail with, where that is known; "" otherwise.
std::string_view portFailureTooltip(PortFailure failure);

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

// The page in a browser: a browser that cannot reach a serial port, an entry of cbcom whose port is
// still to be chosen in the browser's own chooser, and one that was chosen (its USB numbers).
inline constexpr std::string_view noSerialInBrowser =
    "此浏览器无法访问串口: 请用电脑版的 Chrome、Edge 或 Opera (89 及以上版本), 或 Firefox (151 及以上版本) 打开本页。"
    "导入、预览和生成映像仍可使用。";
inline constexpr std::string_view choosePortTooltip = "点击打开串口后, 在浏览器的窗口中选择串口设备";
std::string usbPortDescription(int vendorId, int productId);  // "USB 串口 1A86:7523"; "串口" with none

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

// pelmora-send: its usage, its refusals of arguments (each followed by the argument) and its messages.
inline constexpr std::string_view sendProgram = "pelmora-send";
inline constexpr std::string_view sendUsage =
    "用法: pelmora-send [选项] 文件[@点数x帧数]...\n"
    "把 1 到 5 个 LED 文件按顺序下载到控制器中.\n"
    "\n"
    "  -p, --port 串口        COM3, 或设备路径 (/dev/ttyUSB0, \\\\.\\COM12); 不给出时使用唯一的串口设备\n"
    "  -o, --order 顺序       RGB, RBG, GRB, GBR, BRG 或 BGR (默认 RGB)\n"
    "  -t, --frame-time 毫秒  每帧时间, 10 到 300, 以 10 为单位 (默认 50)\n"
    "      --timeout 秒       控制器沉默超过这么多秒时放弃 (默认 5)\n"
    "      --image 文件       同时把控制器的内存映像写入文件, - 为标准输出\n"
    "      --dry-run          只生成映像, 不打开串口\n"
    "      --wait-port        等待串口出现后再打开\n"
    "      --list-ports       列出 COM1 到 COM16 及其设备\n"
    "  -q, --quiet            不显示进度\n"
    "  -h, --help             显示本帮助\n"
    "      --version          显示版本\n"
    "\n"
    "退出状态: 0 控制器已接收全部数据; 1 参数错误或文件被拒绝; 2 串口无法打开;\n"
    "3 控制器超时无应答或线路中断.\n";
inline constexpr std::string_view seeHelp = "用 --help 查看用法.";
inline constexpr std::string_view badFileArgument = "无法识别的文件参数: ";
inline constexpr std::string_view portNeedsValue = "--port 需要一个串口";
inline constexpr std::string_view orderNeedsValue = "--order 需要一个颜色顺序";
inline constexpr std::string_view badOrder = "颜色顺序必须是 RGB, RBG, GRB, GBR, BRG 或 BGR: ";
inline constexpr std::string_view badFrameTime = "每帧时间必须是 10 到 300 之间 10 的倍数 (毫秒): ";
inline constexpr std::string_view badTimeout = "--timeout 必须是 1 到 3600 之间的秒数: ";
inline constexpr std::string_view imageNeedsValue = "--image 需要一个文件";
inline constexpr std::string_view unknownOption = "未知选项: ";
inline constexpr std::string_view noShowArgument = "请给出至少一个 LED 文件";
inline constexpr std::string_view imageNotWritten = "无法写入映像文件";
inline constexpr std::string_view noPortFound = "没有找到串口设备, 请用 --port 指定";
inline constexpr std::string_view severalPortsFound = "有多个串口设备, 请用 --port 指定其中一个:";
inline constexpr std::string_view lineLost = "线路中断: ";  // followed by noSuchPort
inline std::string chunkProgress(int chunk, int chunks) {
    return "块 " + std::to_string(chunk) + " / " + std::to_string(chunks);
}
inline std::string controllerSilent(int seconds) { return "控制器在 " + std::to_string(seconds) + " 秒内没有应答"; }
// Why the port did not open: missing is noSuchPort, the window's one message.
inline constexpr std::string_view portBusy = "该串口被其他程序占用, 请关闭占用该串口的程序";
inline constexpr std::string_view portNotPermitted = "当前用户无权打开该串口: 请把用户加入 dialout 组, 然后重新登录";
inline constexpr std::string_view notSerialDevice = "这不是串口设备";
inline constexpr std::string_view portNotOpened = "无法打开该串口";
// Why a file was not read.
inline constexpr std::string_view fileMissing = "文件不存在";
inline constexpr std::string_view fileNotPermitted = "当前用户无权读取该文件";
inline constexpr std::string_view notRegularFile = "不是普通文件";
inline constexpr std::string_view fileTooLarge = "文件太大";
inline constexpr std::string_view fileNotRead = "读取文件时出错";
// The text of the kind, with the system's own text in brackets after it when it gave one.
std::string portFailure(PortFailure failure, const std::string& systemText);
std::string fileFailure(FileFailure failure, const std::string& systemText);

}  // namespace pelmora::texts
