#!/usr/bin/env python3
"""Keeps a language module in step with the English one.

Usage: compare-modules.py [--windres=PROGRAM] ENGLISH.rc OTHER.rc...

Each module's resource script is compiled with windres and turned back into
text, so that both are compared as the resource compiler sees them. Fails
(exit status 1), naming every difference, when a module:
- lacks a string id of the English module or has one it lacks;
- gives a text other format conversions, or the same ones in another order
  (wvsprintfA has no numbered arguments);
- names an entry of its Strings.rc differently (the names become TextIds.h);
- lacks a dialog template or has an extra one, or a template whose style,
  control ids, control classes or control styles differ (positions and sizes
  may differ: longer texts may need wider controls);
- repeats a control id or a keyboard mnemonic within one template;
- has a text that the program would cut short, that its users' code page
  cannot show, or that was read in the wrong code page.
"""

import os
import re
import subprocess
import sys
import tempfile

# What the program reads of a text at most (status lines 300, the context
# menus 50 and 60, the file dialogs' filter 98).
TEXT_LIMIT = 300
TEXT_LIMITS = {118: 50, 1101: 60, 1102: 60, 700: 98}

CONVERSION = re.compile(r"%[-#0+ ]*\d*(?:\.\d+)?(?:I64|l|h)?[a-zA-Z%]")
# UTF-8 read as Windows-1252 gives these lead characters; no German text has them.
MOJIBAKE = re.compile("[\u00c3\u00c2][\u0080-\u00bf\u2018-\u203a\u20ac\u0152-\u0178]")
NAMED_ENTRY = re.compile(r'^\s*(\d+)\s*,\s*"(?:[^"]|"")*"\s*//\s*(\w+)\s*$')
DIALOG = re.compile(r"^(\d+)\s+DIALOGEX\b")
TEXT_KINDS = {"LTEXT", "RTEXT", "CTEXT", "PUSHBUTTON", "DEFPUSHBUTTON", "CHECKBOX", "AUTOCHECKBOX",
              "AUTO3STATE", "STATE3", "RADIOBUTTON", "AUTORADIOBUTTON", "GROUPBOX", "ICON"}


def decode(literal):
    """The text of a string literal as windres writes it ("..." or L"...")."""
    body = literal[2:-1] if literal.startswith("L") else literal[1:-1]
    out = []
    i = 0
    simple = {"n": "\n", "r": "\r", "t": "\t", "a": "\a", "b": "\b", "f": "\f", "v": "\v", "\\": "\\",
              '"': '"', "'": "'"}
    while i < len(body):
        c = body[i]
        if c == '"' and body[i + 1:i + 2] == '"':
            out.append('"')
            i += 2
        elif c == "\\":
            nxt = body[i + 1]
            hexa = re.match(r"x([0-9a-fA-F]{1,4})", body[i + 1:])
            octal = re.match(r"[0-7]{1,3}", body[i + 1:])
            if hexa:
                out.append(chr(int(hexa.group(1), 16)))
                i += 1 + len(hexa.group(0))
            elif octal:
                out.append(chr(int(octal.group(0), 8)))
                i += 1 + len(octal.group(0))
            else:
                out.append(simple.get(nxt, nxt))
                i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def split_arguments(text):
    """The comma-separated arguments of a statement; string literals stay whole."""
    args, current, quoted, i = [], "", False, 0
    while i < len(text):
        c = text[i]
        if quoted and c == "\\":
            current += text[i:i + 2]
            i += 2
            continue
        if c == '"':
            if quoted and text[i + 1:i + 2] == '"':
                current += '""'
                i += 2
                continue
            quoted = not quoted
        if c == "," and not quoted:
            args.append(current.strip())
            current = ""
        else:
            current += c
        i += 1
    args.append(current.strip())
    return args


def is_literal(arg):
    return arg.startswith('"') or arg.startswith('L"')


def control_of(line):
    """(kind, id, text, the arguments besides text and position) of a control line."""
    kind, _, rest = line.strip().partition(" ")
    args = split_arguments(rest)
    text = decode(args.pop(0)) if args and is_literal(args[0]) else None
    if kind == "CONTROL":
        # id, class, style, x, y, width, height[, extended style]
        control_id, others = args[0], args[1:3] + args[7:]
    else:
        # id, x, y, width, height[, style[, extended style]]
        control_id, others = args[0], args[5:]
    return kind, int(control_id, 0), text, tuple([kind] + others)


def decompiled(script, windres, work):
    name = os.path.basename(script)
    res = os.path.join(work, name + ".res")
    subprocess.run([windres, "-i", script, "-o", res], check=True)
    return subprocess.run([windres, "-i", res, "-O", "rc"], check=True, capture_output=True,
                          text=True, encoding="latin-1").stdout


def parse_module(text):
    """Strings by id, and each dialog's style and controls by template id."""
    strings, dialogs = {}, {}
    in_strings, dialog = False, None
    for line in text.splitlines():
        stripped = line.strip()
        match = DIALOG.match(stripped)
        if match:
            dialog = {"style": None, "controls": []}
            dialogs[int(match.group(1))] = dialog
            continue
        if stripped.startswith("STRINGTABLE"):
            in_strings = True
            continue
        if stripped == "END":
            in_strings, dialog = False, None
            continue
        if in_strings:
            entry = re.match(r"(\d+)\s*,\s*(L?\".*\")$", stripped)
            if entry:
                strings[int(entry.group(1))] = decode(entry.group(2))
        elif dialog is not None:
            if stripped.startswith("STYLE "):
                dialog["style"] = stripped
            elif stripped and stripped.split()[0] in TEXT_KINDS | {"CONTROL", "EDITTEXT", "LISTBOX", "SCROLLBAR",
                                                                   "COMBOBOX"}:
                dialog["controls"].append(control_of(stripped))
    return strings, dialogs


def entry_names(folder):
    names = {}
    with open(os.path.join(folder, "Strings.rc"), encoding="utf-8") as script:
        for line in script:
            match = NAMED_ENTRY.match(line)
            if match:
                names[int(match.group(1))] = match.group(2)
    return names


def compare_ids(label, what, english, other, faults):
    """Names the ids that one side has and the other lacks; gives the shared ones."""
    for missing in sorted(set(english) - set(other)):
        faults.append(f"{label}: {what} {missing} is missing")
    for extra in sorted(set(other) - set(english)):
        faults.append(f"{label}: {what} {extra} is not in the English module")
    return sorted(set(english) & set(other))


def compare_strings(label, english, other, faults):
    for string_id in compare_ids(label, "string", english, other, faults):
        want, have = CONVERSION.findall(english[string_id]), CONVERSION.findall(other[string_id])
        if want != have:
            faults.append(f"{label}: string {string_id} has the conversions {have}, the English one {want}")


def check_texts(label, strings, dialogs, faults):
    texts = [(f"string {i}", t, TEXT_LIMITS.get(i, TEXT_LIMIT)) for i, t in strings.items()]
    for template, dialog in dialogs.items():
        texts += [(f"template {template} control {c[1]}", c[2], TEXT_LIMIT) for c in dialog["controls"] if c[2]]
    for where, text, limit in texts:
        if len(text) > limit:
            faults.append(f"{label}: {where} has {len(text)} characters; the program reads {limit}")
        try:
            text.encode("cp1252")
        except UnicodeEncodeError:
            faults.append(f"{label}: {where} has characters outside Windows-1252: {text!r}")
        if MOJIBAKE.search(text):
            faults.append(f"{label}: {where} looks read in the wrong code page: {text!r}")


def compare_dialogs(label, english, other, faults):
    for template in compare_ids(label, "dialog template", english, other, faults):
        want, have = english[template], other[template]
        if want["style"] != have["style"]:
            faults.append(f"{label}: template {template} has {have['style']}, the English one {want['style']}")
        want_ids = [c[1] for c in want["controls"]]
        have_ids = [c[1] for c in have["controls"]]
        if want_ids != have_ids:
            faults.append(f"{label}: template {template} has the controls {have_ids}, the English one {want_ids}")
            continue
        for mine, theirs in zip(have["controls"], want["controls"]):
            if mine[3] != theirs[3]:
                faults.append(f"{label}: template {template} control {mine[1]} is {mine[3]}, "
                              f"the English one {theirs[3]}")


def check_dialog_uniqueness(label, dialogs, faults):
    for template, dialog in dialogs.items():
        ids = [c[1] for c in dialog["controls"] if c[1] != -1]
        for repeated in sorted({i for i in ids if ids.count(i) > 1}):
            faults.append(f"{label}: template {template} uses control id {repeated} more than once")
        keys = [m.lower() for c in dialog["controls"] if c[2] for m in re.findall(r"&([^&])", c[2])]
        for repeated in sorted({k for k in keys if keys.count(k) > 1}):
            faults.append(f"{label}: template {template} uses the mnemonic &{repeated} more than once")


def main(argv):
    windres = os.environ.get("WINDRES", "x86_64-w64-mingw32-windres")
    scripts = []
    for arg in argv[1:]:
        if arg.startswith("--windres="):
            windres = arg.split("=", 1)[1]
        else:
            scripts.append(arg)
    if len(scripts) < 2:
        print(__doc__, file=sys.stderr)
        return 2

    faults = []
    with tempfile.TemporaryDirectory() as work:
        modules = [(s, *parse_module(decompiled(s, windres, work))) for s in scripts]
    english_script, english_strings, english_dialogs = modules[0]
    if not english_strings or not english_dialogs:
        print(f"compare-modules: {english_script} gave no strings or no dialogs", file=sys.stderr)
        return 1
    english_names = entry_names(os.path.dirname(english_script))
    for script, strings, dialogs in modules:
        label = os.path.basename(script)
        check_texts(label, strings, dialogs, faults)
        check_dialog_uniqueness(label, dialogs, faults)
        if script == english_script:
            continue
        compare_strings(label, english_strings, strings, faults)
        compare_dialogs(label, english_dialogs, dialogs, faults)
        names = entry_names(os.path.dirname(script))
        for string_id in sorted(set(english_names) & set(names)):
            if english_names[string_id] != names[string_id]:
                faults.append(f"{label}: string {string_id} is named {names[string_id]}, "
                              f"the English one {english_names[string_id]}")

    for fault in faults:
        print(f"FAIL: {fault}", file=sys.stderr)
    if faults:
        print(f"compare-modules: {len(faults)} differences", file=sys.stderr)
        return 1
    counts = ", ".join(f"{os.path.basename(s)} {len(st)} strings and {len(d)} templates" for s, st, d in modules)
    print(f"compare-modules: the modules agree ({counts})")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
