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

// pelmora-send: its help (the options' own descriptions, built with their ranges), its refusals of
// arguments (each followed by the argument) and its messages.
inline constexpr std::string_view sendProgram = "pelmora-send";
inline constexpr std::string_view sendUsageLine = "用法: pelmora-send [选项] 文件[@点数x帧数]...\n";
inline constexpr std::string_view sendDescription = "把 1 到 5 个 LED 文件按顺序下载到控制器中.";
inline constexpr std::string_view optionsGroup = "选项";
inline constexpr std::string_view filesGroup = "文件";
inline constexpr std::string_view showsHelp = "LED 文件; @点数x帧数 代替参数对话框的预设值";
inline constexpr std::string_view portHelp =
    "COM3, 或设备路径 (/dev/ttyUSB0, \\\\.\\COM12); 不给出时使用唯一的串口设备";
inline constexpr std::string_view orderHelp = "RGB, RBG, GRB, GBR, BRG 或 BGR (默认 RGB)";
inline std::string frameTimeHelp(int from, int to, int step, int preset) {
    return "每帧时间, " + std::to_string(from) + " 到 " + std::to_string(to) + " 毫秒, 以 " + std::to_string(step) +
           " 为单位 (默认 " + std::to_string(preset) + ")";
}
inline std::string timeoutHelp(int from, int to, int preset) {
    return "控制器这么多秒没有发出请求时放弃, " + std::to_string(from) + " 到 " + std::to_string(to) + " (默认 " +
           std::to_string(preset) + ")";
}
inline std::string deadlineHelp(int from, int to) {
    return "一次下载最多用这么多秒, " + std::to_string(from) + " 到 " + std::to_string(to) + " (默认不限)";
}
inline constexpr std::string_view imageHelp = "同时把控制器的内存映像写入文件 (不能是输入文件或设备), - 为标准输出";
inline constexpr std::string_view dryRunHelp = "只生成映像, 不打开串口";
inline constexpr std::string_view waitPortHelp = "串口还不存在时等它出现, 然后下载一次";
inline constexpr std::string_view repeatHelp =
    "生产线: 下载一台控制器, 等它被拔下, 再等下一台, 如此直到按 Ctrl-C; 每台一行记录";
inline constexpr std::string_view listPortsHelp = "列出 COM1 到 COM16 及其设备, 标出当前用户无法打开的设备";
inline constexpr std::string_view jsonHelp =
    "每台控制器在标准输出上写一个 JSON 对象 (结果, 退出状态, 串口, 字节数, 秒数, 映像的 SHA-256)";
inline constexpr std::string_view quietHelp = "不显示进度和等待信息";
inline constexpr std::string_view verboseHelp = "在标准错误上逐字节显示握手过程";
inline constexpr std::string_view helpHelp = "显示本帮助";
inline constexpr std::string_view versionHelp = "显示版本";
inline constexpr std::string_view exitStatusHelp =
    "退出状态: 0 全部数据发送之后控制器发来了完成信号; 1 参数错误或文件被拒绝; 2 串口无法打开;\n"
    "3 控制器超时没有请求, 超过 --deadline, 过早发来完成信号或线路中断; 130 下载中按了 Ctrl-C.\n"
    "--repeat 在两台控制器之间按 Ctrl-C 时以 0 退出.\n";
inline constexpr std::string_view seeHelp = "用 --help 查看用法.";
inline constexpr std::string_view badFileArgument = "无法识别的文件参数: ";
inline std::string needsValue(const std::string& option) { return option + " 需要一个值"; }
inline constexpr std::string_view badOrder = "颜色顺序必须是 RGB, RBG, GRB, GBR, BRG 或 BGR: ";
inline std::string badFrameTime(int from, int to, int step) {
    return "每帧时间必须是 " + std::to_string(from) + " 到 " + std::to_string(to) + " 之间 " + std::to_string(step) +
           " 的倍数 (毫秒): ";
}
inline std::string badSeconds(int from, int to) {
    return "必须是 " + std::to_string(from) + " 到 " + std::to_string(to) + " 之间的秒数: ";
}
inline constexpr std::string_view unknownOption = "未知选项: ";
inline constexpr std::string_view badArguments = "参数有误";  // what the parser said follows in brackets
inline constexpr std::string_view noShowArgument = "请给出至少一个 LED 文件";
inline constexpr std::string_view jsonAndImageOnStdout = "--json 和 --image - 不能同时使用: 两者都写标准输出";
inline constexpr std::string_view imageIsInput = "映像文件不能是输入文件: ";
inline constexpr std::string_view imageNotRegular = "映像文件只能是普通文件, 不能是设备或文件夹: ";
inline constexpr std::string_view imageNotWritten = "无法写入映像文件";
inline constexpr std::string_view noPortFound = "没有找到串口设备, 请用 --port 指定";
inline constexpr std::string_view severalPortsFound = "有多个串口设备, 请用 --port 指定其中一个:";
inline constexpr std::string_view lineLost = "线路中断: ";  // followed by noSuchPort
inline std::string chunkProgress(int chunk, int chunks) {
    return "块 " + std::to_string(chunk) + " / " + std::to_string(chunks);
}
// Seconds with one decimal, whatever the locale says of the decimal point.
std::string seconds(std::int64_t ms);
// The time since the controller's last request it was answered, and the bytes that came meanwhile.
std::string controllerSilent(std::int64_t waitedMs, std::int64_t ignoredBytes);
std::string deadlinePassed(std::int64_t deadlineMs, std::int64_t sent, std::int64_t total);
inline std::string earlyCompletion(std::int64_t asked, std::int64_t total) {
    return "控制器只要了 " + std::to_string(asked) + " / " + std::to_string(total) +
           " 字节就发来了完成信号 0x16, 数据没有全部发送";
}
inline constexpr std::string_view interrupted = "已中断 (Ctrl-C)";
inline constexpr std::string_view anyPort = "串口设备";  // no --port: the one device present
inline std::string waitingForPort(const std::string& port) { return "等待 " + port + " 出现..."; }
inline std::string waitingForController(int unit, const std::string& port) {
    return "等待第 " + std::to_string(unit) + " 台控制器 (" + port + ")...";
}
inline std::string unplugController(const std::string& port) { return "请拔下 " + port + " 上的控制器"; }
// The word of each result in a unit's line, and its name in --json, in the order of SendResult.
inline constexpr std::string_view resultWords[] = {"完成",     "超时",   "超过时限",    "过早完成",
                                                   "线路中断", "已中断", "串口无法打开"};
inline constexpr std::string_view resultNames[] = {"done",      "silent",      "deadline", "early-end",
                                                   "line-lost", "interrupted", "no-port"};
inline std::string unitLine(const std::string& time, int unit, const std::string& port, std::string_view result,
                            std::int64_t ms) {
    return "[" + time + "] 第 " + std::to_string(unit) + " 台 " + port + ": " + std::string(result) + ", " +
           seconds(ms) + " 秒";
}
inline std::string stationCount(int units, int done) {
    return "共 " + std::to_string(units) + " 台控制器, " + std::to_string(done) + " 台完成";
}
// -v: the handshake byte by byte.
inline constexpr std::string_view traceStart = "-> 0x41 开始下载";
inline constexpr std::string_view headerAsked = "请求文件头";
inline constexpr std::string_view chunkAsked = "请求下一块";
inline constexpr std::string_view allReceivedSaid = "全部收到";
inline constexpr std::string_view byteIgnored = "不理会";
std::string traceReceived(std::uint8_t byte, std::string_view meaning);
inline constexpr std::string_view traceHeader = "-> 文件头 38 字节";
inline std::string traceChunk(int chunk, int chunks, std::size_t bytes) {
    return "-> 块 " + std::to_string(chunk) + " / " + std::to_string(chunks) + ", " + std::to_string(bytes) + " 字节";
}
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
