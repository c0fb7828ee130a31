// A stand-in for the browser's navigator.serial, put into the page before its own script: one port
// (a USB adapter 1A86:7523) whose bytes the test carries across a real pseudo-terminal to the
// controller emulator. It fails as the browser's own does: the same error names and messages, a
// port that must be unlocked to close, a lost device that errors its streams.
(() => {
  const error = (message, name) => new DOMException(message, name);
  class FakePort extends EventTarget {
    constructor() {
      super();
      this.readable = null;
      this.writable = null;
      this.source = null;
    }
    getInfo() {
      return { usbVendorId: 0x1a86, usbProductId: 0x7523 };
    }
    async open(options) {
      if (this.readable) throw error("The port is already open.", "InvalidStateError");
      if (!options || !(options.baudRate > 0)) throw new TypeError("Failed to execute 'open' on 'SerialPort'.");
      const answer = await window.__fakeSerialOpen(JSON.stringify(options));
      if (answer !== "ok") throw error("Failed to open serial port.", answer);
      this.readable = new ReadableStream({
        start: (source) => { this.source = source; },
        cancel: () => { this.source = null; },
      });
      this.writable = new WritableStream({
        write: (chunk) => window.__fakeSerialWrite(Array.from(chunk)),
      });
    }
    async close() {
      if (!this.readable) throw error("The port is already closed.", "InvalidStateError");
      if (this.readable.locked || this.writable.locked) {
        throw new TypeError("Failed to execute 'close' on 'SerialPort': Cannot cancel a locked stream");
      }
      this.readable = this.writable = this.source = null;
      await window.__fakeSerialClose();
    }
    deliver(bytes) {
      if (this.source) this.source.enqueue(new Uint8Array(bytes));
    }
    // The adapter pulled out: both streams fail, the port is gone, navigator.serial says so.
    lose() {
      if (!this.readable) return;
      const lost = error("The device has been lost.", "NetworkError");
      if (this.source) this.source.error(lost);
      this.writable.abort(lost).catch(() => {});
      this.readable = this.writable = this.source = null;
      serial.dispatchEvent(new Event("disconnect"));
    }
  }
  const port = new FakePort();
  const serial = new EventTarget();
  serial.getPorts = async () => [];
  serial.requestPort = async () => {
    if ((await window.__fakeSerialChoose()) === "cancel") throw error("No port selected by the user.", "NotFoundError");
    return port;
  };
  Object.defineProperty(Navigator.prototype, "serial", { get: () => serial, configurable: true });
  window.__fakeSerialDeliver = (bytes) => port.deliver(bytes);
  window.__fakeSerialLose = () => port.lose();
})();
