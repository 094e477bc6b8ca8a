#!/usr/bin/env python3
"""Writes the hand-made seeds of fuzz/corpus/. The Program seeds are encoded
for the decoder of fuzz/targets/FuzzProgram.cpp (FuzzInput: a number in
[lo, hi] is read as just enough bytes for the range, most significant first),
so each one is a readable scenario. Run from anywhere; existing files with
the same names are overwritten, other corpus files are left alone."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
DAY = 86400


class Enc:
    def __init__(self):
        self.out = bytearray()

    def byte(self, b):
        self.out.append(b & 0xFF)
        return self

    def boolean(self, v):
        return self.byte(1 if v else 0)

    def u32(self, v):
        self.out += struct.pack("<I", v & 0xFFFFFFFF)
        return self

    def int(self, lo, hi, x):
        assert lo <= x <= hi, (lo, hi, x)
        if hi <= lo:
            return self
        span, n = hi - lo, 0
        while span:
            span >>= 8
            n += 1
        self.out += (x - lo).to_bytes(n, "big")
        return self

    def bytes(self, maximum, data):
        self.int(0, maximum, len(data))
        self.out += data
        return self

    def pick(self, count, index):
        return self.int(0, count - 1, index)


ZONES = ["Asia/Tokyo", "Europe/Berlin", "America/New_York", "Australia/Lord_Howe", "Asia/Kolkata"]
VALUES = ["LimitTime", "LastDate", "LastTime", "LastTimeAdjust", "AdjustTime", "DayTotal",
          "StartTime", "EndTime", "PASSWORD"]
LIMITS = ["60", "0", "1", "120", "1440", "35791394", "35791395", "2147483647", "-1", "-2147483648"]
ADJUSTS = ["0", "30", "60", "600", "1439", "1440", "-60", "-1440", "2147483647", "-2147483648"]
PASSWORDS = ["abc", "a", "abcdefgh", "abcdefghi", "pass word"]
TEXTS = ["", "abc", "60", "0", " 90 ", "\t30", "35791394", "35791395", "4294967296", "-5", "1.5",
         "x", "600", "1439", "abcdefgh", "abcdefghij", "1"]
COMMANDS = [32771, 32772, 32773, 32777, 57665, 12345]
CONTROLS = [3301, 3302, 3303, 3304, 1000, 9999]
BUTTONS = [1, 2, 1000, 3301, 9999]
MOUSE = [0x201, 0x204, 0x200, 0x202, 0x205, 0x203]
CLOCK_CHANGES = ["ny-spring", "ny-autumn", "berlin-spring", "berlin-autumn"]


class Program(Enc):
    """Set-up first (zone, clock, values, log, faults), then steps."""

    def setup(self, zone="Asia/Tokyo", clock=("typical", 0), values=None, log=(), faults=None,
              newest_later=None):
        self.pick(len(ZONES), ZONES.index(zone))
        mode = clock[0]
        if mode == "typical":
            self.int(0, 3, 0).int(-400 * DAY, 400 * DAY, clock[1])
        elif mode == "any":
            self.int(0, 3, 1).int(100000, 4102444800, clock[1])
        elif mode == "change":
            self.int(0, 3, 2).pick(4, CLOCK_CHANGES.index(clock[1])).int(-7200, 7200, clock[2])
        else:  # ("midnight", month, day, offset)
            self.int(0, 3, 3).int(1, 12, clock[1]).int(1, 28, clock[2]).int(-900, 900, clock[3])
        values = values or {}
        for name in VALUES:
            v = values.get(name)
            if v is None:
                self.int(0, 7, 0)
            elif v[0] == "number":  # (kind, prefix index, value, suffix index)
                self.int(0, 7, 1).pick(7, v[1]).u32(v[2]).pick(6, v[3])
            elif v[0] == "bytes":
                self.int(0, 7, 2).bytes(48, v[1])
            elif v[0] == "long":
                self.int(0, 7, 3).bytes(8, v[1]).int(250, 600, v[2])
            elif v[0] == "raw":  # (kind, type index, bytes)
                self.int(0, 7, 4).pick(4, v[1]).bytes(16, v[2])
            elif v[0] == "empty":
                self.int(0, 7, 5)
            else:  # ("sensible", ...)
                self.int(0, 7, 6)
                if name == "LimitTime":
                    self.pick(len(LIMITS), LIMITS.index(v[1]))
                elif name == "LastDate":
                    self.int(-2, 2, v[1])
                elif name == "LastTime":
                    self.int(-100, 7300, v[1])
                elif name == "LastTimeAdjust":
                    self.int(-4000, 4000, v[1])
                elif name == "AdjustTime":
                    self.pick(len(ADJUSTS), ADJUSTS.index(v[1]))
                elif name == "PASSWORD":
                    self.pick(len(PASSWORDS), PASSWORDS.index(v[1]))
                elif name == "DayTotal":
                    self.int(1, 9, len(v[1]))
                    for back in v[1]:
                        self.int(0, 2 * DAY, back)
                else:
                    self.int(0, 3 * DAY, v[1])
        if newest_later is None:
            self.byte(0xFF)
        else:
            self.byte(0).int(0, 7200, newest_later)
        self.int(0, 48, len(log))
        ids = [6005, 6006, 1, 42, "6005+", "6006+", 7036, 6013, 12]
        for record in log:  # (id, seconds back from the previous record[, damage])
            kind = ids.index(record[0])
            far = record[1] > 8 * 3600
            self.byte(kind | (0x80 if far else 0))
            self.int(0, 5 * DAY if far else 8 * 3600, record[1])
        # No damaged records in hand-made seeds: kind bytes stay below 0x70.
        if faults is None:
            self.u32(0xFF000000)
        else:
            flags = 0
            for bit in faults.get("bits", []):
                flags |= 1 << bit
            self.u32(flags)
            if 4 in faults.get("bits", []):
                self.int(0, len(log), faults["read_fails_at"])
            if 5 in faults.get("bits", []):
                self.int(0, 20, faults["alloc_fails_after"])
            if 12 in faults.get("bits", []):
                self.int(0, 3, faults["companion_closes_after"])
        return self

    def tick(self, seconds):
        return self.int(0, 11, 0).int(1, 700, seconds)

    def jump_forward(self, seconds):
        return self.int(0, 11, 3).int(1, 3 * DAY, seconds)

    def jump_back(self, seconds):
        return self.int(0, 11, 4).int(1, 3 * DAY, seconds)

    def before_midnight(self, seconds):
        return self.int(0, 11, 5).int(1, 120, seconds)

    def tray(self, mouse=0x204, choose=None, icon=101):
        self.int(0, 11, 6).boolean(choose is not None)
        if choose is not None:
            self.pick(len(COMMANDS), COMMANDS.index(choose))
        self.boolean(icon == 101)
        if icon != 101:
            self.int(0, 200, icon)
        return self.pick(len(MOUSE), MOUSE.index(mouse))

    def actions(self, actions):
        for a in actions:
            kind = a[0]
            if kind == "type":  # ("type", control, text)
                self.int(0, 7, 0).pick(len(CONTROLS), CONTROLS.index(a[1]))
                text = a[2]
                if text in PASSWORDS:
                    self.int(0, 3, 1).pick(len(PASSWORDS), PASSWORDS.index(text))
                elif text in TEXTS:
                    self.int(0, 3, 3).pick(len(TEXTS), TEXTS.index(text))
                elif text == "\x1fa":
                    self.int(0, 3, 2)
                else:
                    self.int(0, 3, 0).bytes(12, text.encode("latin-1"))
            elif kind == "click":
                self.int(0, 7, 1).pick(len(BUTTONS), BUTTONS.index(a[1]))
            elif kind == "enter":
                self.int(0, 7, 2)
            elif kind == "escape":
                self.int(0, 7, 3)
            elif kind == "closebox":
                self.int(0, 7, 4)
            elif kind == "wait":
                self.int(0, 7, 5).int(0, 120, a[1])
            elif kind == "answer":
                self.int(0, 7, 6).boolean(a[1] == 1)
            else:  # ("menu", command)
                self.int(0, 7, 7).pick(len(COMMANDS), COMMANDS.index(a[1]))
        return self

    def commands(self, messages, actions=()):
        """messages: command ids, "close", "query-send", "query-post", "tick", "timer7"."""
        self.int(0, 11, 7).int(0, 8, len(actions))
        self.actions(actions)
        self.int(1, 2, len(messages))
        for m in messages:
            if isinstance(m, int):
                self.int(0, 4, 0).pick(len(COMMANDS), COMMANDS.index(m))
            elif m == "close":
                self.int(0, 4, 2)
            elif m == "query-send":
                self.int(0, 4, 3).boolean(True)
            elif m == "query-post":
                self.int(0, 4, 3).boolean(False)
            elif m == "tick":
                self.int(0, 4, 4).boolean(True)
            else:
                self.int(0, 4, 4).boolean(False)
        return self

    def fault(self, which, on):
        return self.int(0, 11, 9).int(0, 9, which).boolean(on)

    def script(self, actions):
        self.int(0, 11, 10).int(1, 8, len(actions))
        return self.actions(actions)

    def query_end_session(self):
        return self.int(0, 11, 11)


TODAY = {"LastDate": ("sensible", 0), "LastTime": ("sensible", 3000)}
SESSIONS = [(6005, 3600), (6006, 600), (6005, 5 * 3600), (6006, 900), (6005, 30000),
            (6006, 1800), (6005, 20000)]


def program_seeds():
    seeds = {}
    seeds["seed-ordinary-day"] = (Program().setup(values=TODAY, log=SESSIONS)
                                  .tick(29).tick(1).tick(600).tray(0x204).tick(100))
    seeds["seed-settings-ok"] = (Program().setup(values=TODAY, log=SESSIONS)
                                 .commands([32772], [("type", 3301, " 90 "), ("type", 3302, "30"),
                                                     ("click", 1)]).tick(5))
    seeds["seed-settings-refused-fields"] = (Program().setup(values=TODAY)
                                             .commands([32772], [("type", 3301, "35791395"),
                                                                 ("click", 1), ("type", 3301, "x"),
                                                                 ("click", 1), ("type", 3301, "60"),
                                                                 ("click", 2)]).tick(3))
    seeds["seed-settings-day-start-moved"] = (Program().setup(values=TODAY, log=SESSIONS)
                                              .commands([32772], [("type", 3302, "600"),
                                                                  ("click", 1)]).tick(3))
    seeds["seed-reset-today"] = (Program().setup(values=TODAY, log=SESSIONS)
                                 .commands([32772], [("click", 1000)]).tick(600))
    seeds["seed-password-then-quit"] = (Program().setup(values=TODAY)
                                        .commands([32771], [("type", 3303, "abc"),
                                                            ("type", 3304, "abc"), ("click", 1)])
                                        .commands([32773], [("type", 3301, "x"), ("enter",),
                                                            ("type", 3301, "abc"), ("enter",)]))
    seeds["seed-stored-password-settings"] = (
        Program().setup(values=dict(TODAY, PASSWORD=("sensible", "abc")))
        .commands([32772], [("type", 3301, "abc"), ("enter",), ("type", 3301, "0"),
                            ("click", 1)]).tick(100))
    seeds["seed-uninstall"] = Program().setup(values=TODAY).commands([32777]).tick(1)
    seeds["seed-exit-with-companion"] = (Program().setup(values=TODAY, faults={
        "bits": [12], "companion_closes_after": 2}).tick(3).commands([57665]))
    seeds["seed-tray-menu-settings"] = (Program().setup(values=TODAY)
                                        .script([("escape",)]).tray(0x201, choose=32772).tick(2))
    seeds["seed-midnight"] = (Program().setup(values=TODAY, log=SESSIONS)
                              .before_midnight(30).tick(60).tick(5))
    seeds["seed-midnight-adjusted"] = (
        Program().setup(values=dict(TODAY, AdjustTime=("sensible", "600")))
        .before_midnight(10).tick(30))
    seeds["seed-clock-back"] = (Program().setup(values=TODAY).tick(10).jump_back(DAY + 10)
                                .tick(3).jump_forward(2 * DAY).tick(3))
    seeds["seed-clock-back-at-start"] = Program().setup(values={
        "LastDate": ("sensible", 2), "LastTime": ("sensible", 100)}).tick(5)
    seeds["seed-end-session"] = (Program().setup(values=TODAY).tick(7).query_end_session()
                                 .commands(["close"]))
    seeds["seed-spent-power-off-refused"] = (
        Program().setup(values={"LimitTime": ("sensible", "0")}, faults={"bits": [8]})
        .tick(95).tick(10))
    seeds["seed-faulty-machine"] = (
        Program().setup(values=TODAY, log=SESSIONS,
                        faults={"bits": [1, 3, 7, 4, 5], "read_fails_at": 2,
                                "alloc_fails_after": 3})
        .tick(30).fault(1, False).fault(3, False).tick(600).tray(0x201))
    seeds["seed-unreadable-key"] = (Program().setup(values=TODAY, faults={"bits": [0]})
                                    .tick(30).commands([32772], [("type", 3301, "1"),
                                                                 ("click", 1)]).tick(61))
    seeds["seed-no-timer"] = Program().setup(values=TODAY, faults={"bits": [6]}).tick(50)
    seeds["seed-odd-values"] = Program().setup(values={
        "LimitTime": ("long", b"9", 300), "LastDate": ("raw", 0, b"\x01\x02\x03\x04"),
        "LastTime": ("number", 5, 123, 4), "LastTimeAdjust": ("bytes", b"-99999999999"),
        "AdjustTime": ("empty",), "DayTotal": ("long", b"\n01/05 ", 257),
        "StartTime": ("bytes", b"12/31 23:59:60garbage"), "EndTime": ("sensible", 4000),
        "PASSWORD": ("long", b"q", 256)}).tick(30).commands([32771], [("escape",)])
    seeds["seed-berlin-autumn"] = (Program().setup(zone="Europe/Berlin",
                                                   clock=("change", "berlin-autumn", -1800),
                                                   values=TODAY, log=SESSIONS)
                                   .tick(700).tick(700).tick(700))
    seeds["seed-new-york-spring"] = (Program().setup(zone="America/New_York",
                                                     clock=("change", "ny-spring", -600),
                                                     values=TODAY, log=SESSIONS)
                                     .tick(700).tick(30))
    seeds["seed-dialog-waits"] = (Program().setup(values=TODAY)
                                  .commands([32772], [("wait", 120), ("wait", 120),
                                                      ("click", 1)]).tick(1))
    seeds["seed-exit-while-settings-open"] = (Program().setup(values=TODAY)
                                              .commands([32772, 57665], [("wait", 2),
                                                                         ("click", 1)]))
    seeds["seed-end-session-while-password-open"] = (
        Program().setup(values=TODAY)
        .commands([32771, "query-post"], [("wait", 1), ("escape",)]).commands(["close"]))
    return seeds


class ServiceRequest(Enc):
    """The stored state, then messages to the service's pipe
    (fuzz/targets/FuzzServiceRequest.cpp)."""

    KINDS = {"status": 1, "check-password": 2, "settings": 3, "change-password": 4, "exit": 5,
             "uninstall": 6, "extra-time": 7, "accept-today": 8, "history": 9}
    DAYS = {"today": 0, "later": 1, "none": 2}

    def setup(self, day="today", rules=None):
        self.pick(3, self.DAYS[day])
        self.boolean(rules is not None)
        if rules is not None:  # (Friday's limit is 0, bedtime is 09:01)
            self.boolean(rules[0]).boolean(rules[1])
        return self

    def request(self, kind, connection=1, reset=False, limit=60, adjust=0, right=True,
                new_password=b"", rules=None, extra=0, damage=None, wait=0):
        self.int(1, 3, connection).boolean(True)
        self.int(1, 9, self.KINDS[kind]).boolean(reset).int(0, 2000, limit).int(0, 1500, adjust)
        self.boolean(right).bytes(12, new_password)
        self.boolean(rules is not None)
        if rules is not None:  # seven weekday limits (-1: none), then the bedtime
            for limit_of_day in rules[:7]:
                self.int(-1, 1500, limit_of_day)
            self.int(-1, 1440, rules[7])
        if kind != "extra-time":
            self.byte(0 if extra else 16)
        if kind == "extra-time" or extra:
            self.int(0, 1441, extra)
        if damage is None:
            self.byte(64)
        else:
            self.byte(0).int(0, 127, damage[0]).byte(damage[1])
        return self.int(0, 3, wait)

    def raw(self, data, connection=1, wait=0):
        self.int(1, 3, connection).boolean(False).bytes(136, data)
        return self.int(0, 3, wait)


def statuses(seed, count):
    """A tray's status requests, three seconds apart."""
    for _ in range(count):
        seed.request("status", wait=3)
    return seed


def service_request_seeds():
    week = [180, -1, -1, 0, -1, 90, 240, 21 * 60]
    s = ServiceRequest
    return {
        "seed-status": s().setup().request("status"),
        "seed-garbage": s().setup().raw(b"\x48\x47\x47\x51" + b"\x00" * 60, wait=1)
        .raw(b"x" * 136),
        "seed-settings-right-password": s().setup().request("settings", limit=90, adjust=30),
        "seed-wrong-then-right": s().setup().request("settings", right=False, limit=0, wait=2)
        .request("settings", limit=0),
        "seed-change-password": s().setup().request("change-password", new_password=b"new"),
        "seed-exit": s().setup().request("exit", wait=3).request("status"),
        "seed-uninstall": s().setup().request("uninstall"),
        "seed-one-byte-changed": s().setup().request("status", damage=(4, 1)),
        "seed-settings-week": s().setup().request("settings", limit=60, rules=week, wait=1)
        .request("status", connection=2).request("history", connection=2),
        "seed-settings-week-out-of-range": s().setup().request(
            "settings", rules=[1500, -1, -1, -1, -1, -1, -1, 1440]),
        "seed-extra-time": s().setup().request("extra-time", extra=15, wait=1)
        .request("status"),
        "seed-extra-time-wrong-then-edges": s().setup().request("extra-time", right=False,
                                                                 extra=15, wait=2)
        .request("extra-time", extra=1, wait=2).request("extra-time", extra=1440, wait=2)
        .request("extra-time", extra=1441).request("extra-time", extra=0),
        "seed-extra-with-settings": s().setup().request("settings", extra=5),
        "seed-history": s().setup(rules=(True, False)).request("history", right=False)
        .request("history", connection=2, wait=1).request("history"),
        "seed-later-day-accepted": s().setup(day="later").request("status", wait=3)
        .request("accept-today").request("status"),
        "seed-later-day-refused": s().setup(day="later").request("accept-today", right=False,
                                                                  wait=3).request("status"),
        "seed-later-day-runs-out": statuses(s().setup(day="later"), 22),
        "seed-accept-on-an-ordinary-day": s().setup().request("accept-today", right=False,
                                                               wait=2).request("accept-today"),
        "seed-first-day": s().setup(day="none").request("history").request("status"),
        "seed-bedtime-reached": statuses(s().setup(rules=(False, True)), 22)
        .request("extra-time", extra=30),
    }


def event_record(event_id, time, number=1):
    source, computer = b"EventLog\0", b"SIM\0"
    body = 56 + len(source) + len(computer)
    length = (body + 3) // 4 * 4 + 4
    rec = bytearray(length)
    struct.pack_into("<IIIIIIH", rec, 0, length, 0x654C664C, number, time, time, event_id, 4)
    struct.pack_into("<I", rec, 36, 56)
    struct.pack_into("<I", rec, 48, 56)
    rec[56:56 + len(source)] = source
    rec[56 + len(source):56 + len(source) + len(computer)] = computer
    struct.pack_into("<I", rec, length - 4, length)
    return bytes(rec)


def windows_record(event_id, time, source, number=1, data=b""):
    """The layout Windows writes: the fixed part, source and computer names,
    DWORD-aligned SID, strings and data offsets, padding, the length again."""
    names = source.encode() + b"\0" + b"KIDS-PC\0"
    data_offset = (56 + len(names) + 3) // 4 * 4
    length = (data_offset + len(data) + 3) // 4 * 4 + 4
    rec = bytearray(length)
    struct.pack_into("<IIIIIIH", rec, 0, length, 0x654C664C, number, time, time, event_id, 4)
    struct.pack_into("<IIIII", rec, 36, data_offset, 0, data_offset, len(data), data_offset)
    rec[56:56 + len(names)] = names
    rec[data_offset:data_offset + len(data)] = data
    struct.pack_into("<I", rec, length - 4, length)
    return bytes(rec)


KERNEL_GENERAL = "Microsoft-Windows-Kernel-General"
KERNEL_POWER = "Microsoft-Windows-Kernel-Power"


def main():
    seeds = {
        "StoredNumber": {
            "seed-zero": b"0", "seed-minus-one": b"-1", "seed-decorated": b"  +42abc",
            "seed-max": b"2147483647", "seed-max-plus-one": b"2147483648",
            "seed-min": b"-2147483648", "seed-min-minus-one": b"-2147483649",
            "seed-huge": b"99999999999999999999", "seed-blanks": b"\t\n\v\f\r 7",
            "seed-empty": b"", "seed-two-signs": b"+-5", "seed-zeros": b"0000000000002147483647",
            "seed-nul-first": b"\x005", "seed-high-bytes": b"\xa0 5",
        },
        "TimeText": {
            "seed-plain": b"01/05 09:00:00", "seed-leap-second": b"12/31 23:59:60",
            "seed-short-fields": b"1/5 9:0:0", "seed-month-13": b"13/01 00:00:00",
            "seed-blank-padded": b" 1/ 5  9: 0: 0", "seed-no-seconds": b"01/05 09:00",
            "seed-negative": b"-1/05 09:00:00", "seed-trailing": b"01/05 09:00:00 (60min)",
            "seed-three-digits": b"001/05 09:00:00", "seed-empty": b"",
            "seed-signed": b"+1/+5 +9:+0:+0",
        },
        "Scramble": {
            "seed-abc": b"abc", "seed-empty": b"", "seed-key-inside": b"ab\x1fcd",
            "seed-long": b"x" * 300, "seed-nul-inside": b"a\x00b", "seed-key-only": b"\x1f",
            "seed-high-bytes": bytes(range(0x80, 0x100)), "seed-exactly-255": b"y" * 255,
        },
        "EventRecord": {
            "seed-start": event_record(6005, 1704412800 - 1800),
            "seed-stop": event_record(6006, 1704412800 - 900),
            "seed-sleep": event_record(42, 1704412800 - 300),
            "seed-resume": event_record(1, 1704412800 - 200),
            "seed-start-high-bit": event_record(6005 | 0x80000000, 1704412800 - 5000),
            "seed-other": event_record(7036, 1704412800 - 100),
            "seed-future-start": event_record(6005, 1704412800 + 3600),
            "seed-old-stop": event_record(6006, 1000),
            "seed-truncated": event_record(6005, 1704412800 - 1800)[:55],
            "seed-length-too-big": struct.pack("<I", 200) + event_record(6005, 1704412800)[4:],
            "seed-length-too-small": struct.pack("<I", 55) + event_record(6005, 1704412800)[4:],
            "seed-one-byte": b"\x01",
            "seed-clock-set": windows_record(1, 1704412800 - 200, KERNEL_GENERAL),
            "seed-resume-from-sleep": windows_record(1, 1704412800 - 200,
                                                     "Microsoft-Windows-Power-Troubleshooter"),
            "seed-standby-enter": windows_record(506, 1704412800 - 1000, KERNEL_POWER),
            "seed-standby-exit": windows_record(507, 1704412800 - 500, KERNEL_POWER),
            "seed-standby-other-source": windows_record(507, 1704412800 - 500, "EventLog"),
            "seed-source-unterminated": struct.pack("<I", 88)
                + windows_record(1, 1704412800 - 200, KERNEL_GENERAL)[4:56]
                + KERNEL_GENERAL.encode(),
            "seed-three-records": windows_record(507, 1704412800 - 500, KERNEL_POWER, 3)
                + windows_record(7036, 1704412800 - 700, "Service Control Manager", 2, b"x" * 9)
                + windows_record(506, 1704412800 - 1000, KERNEL_POWER, 1),
            "seed-second-length-broken": windows_record(16, 1704412800 - 500, KERNEL_GENERAL)
                + struct.pack("<I", 4000) + windows_record(6005, 1704412800 - 900, "EventLog")[4:],
            "seed-empty": b"",
        },
        "Program": {name: bytes(p.out) for name, p in program_seeds().items()},
        "ServiceRequest": {name: bytes(r.out) for name, r in service_request_seeds().items()},
    }
    for target, files in seeds.items():
        folder = os.path.join(HERE, "corpus", target)
        os.makedirs(folder, exist_ok=True)
        for name, data in files.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
    print("seeds written:", ", ".join(f"{t} {len(f)}" for t, f in seeds.items()))


if __name__ == "__main__":
    main()
