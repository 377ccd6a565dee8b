#!/usr/bin/env python3
"""Keeps docs/names.md true of the code.

(a) Every name that other things depend on has a row: each widget, action and action group
    of the .ui files under src/ (in a row that lists that .ui file), each objectName the
    sources set (in a row that lists that source), and each handler of a window class, that
    is every slot, every method whose name is spelled in the component style (first letter
    upper case: FormShow, ApplyLanguage, UDPBSer) and every method named after a component
    and an event (lvNetCardClick, edtPLenKeyPress), in a row whose code cell names it as
    Class::name.
(b) Every code cell is true: each file named exists and each function, field or objectName
    named is found in one of the row's files.

Usage: names_test.py <source root>. The self-tests below break a copy of the table and of
the sources on purpose and expect the check to say so.
"""

import os
import re
import shutil
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET

DOC = os.path.join("docs", "names.md")

UI_ELEMENTS = ("widget", "action", "actiongroup")
WINDOW_BASES = ("QDialog", "QMainWindow")
EVENT_SUFFIX = re.compile(
    r"(Click|DblClick|Timer|KeyPress|Change|Show|Close|Create|Destroy|UDPRead|CustomDrawItem)$"
)
OBJECT_NAME_SET = [
    re.compile(r'setObjectName\(\s*(?:Q\w+(?:::\w+)?\s*\(\s*)?"(\w+)"'),
    # The main window names its timers through a helper.
    re.compile(r'MakeTimer\([^,;]*,\s*"(\w+)"'),
]
TOKEN = re.compile(r"`([^`]+)`")
IDENTIFIER = re.compile(r"^~?[A-Za-z_]\w*$")


# --- what the code holds ---------------------------------------------------------------------


def source_files(root, suffixes):
    found = []
    for folder, _, files in os.walk(os.path.join(root, "src")):
        for name in files:
            if name.endswith(suffixes):
                found.append(os.path.relpath(os.path.join(folder, name), root))
    return sorted(found)


def ui_names(root, ui_path):
    tree = ET.parse(os.path.join(root, ui_path))
    return [e.get("name") for e in tree.iter() if e.tag in UI_ELEMENTS and e.get("name")]


def strip_comments(text):
    text = re.sub(r"/\*.*?\*/", " ", text, flags=re.S)
    return re.sub(r"//[^\n]*", " ", text)


def class_bodies(text):
    """(class name, body) of every class deriving from a window base."""
    pattern = re.compile(
        r"\bclass\s+(\w+)\s*(?:final\s*)?:\s*public\s+(\w+)[^{;]*\{", re.S
    )
    for match in pattern.finditer(text):
        if match.group(2) not in WINDOW_BASES:
            continue
        depth, i = 1, match.end()
        while depth and i < len(text):
            depth += {"{": 1, "}": -1}.get(text[i], 0)
            i += 1
        yield match.group(1), text[match.end() : i - 1]


def declarations(body):
    """(name, is_slot) of every method declared in a class body."""
    body = body.replace("Q_OBJECT", ";")
    # Inline bodies and brace initialisers become the end of their declaration.
    previous = None
    while previous != body:
        previous = body
        body = re.sub(r"\{[^{}]*\}", ";", body)
    in_slots = False
    label = re.compile(r"^\s*(?:(public|protected|private)(\s+(?:slots|Q_SLOTS))?|signals|Q_SIGNALS)\s*:")
    for segment in body.split(";"):
        while True:
            found = label.match(segment)
            if not found:
                break
            in_slots = bool(found.group(2))
            segment = segment[found.end() :]
        for call in re.finditer(r"(~?\w+)\s*\(", segment):
            before = segment[: call.start()]
            if before.count("<") > before.count(">"):
                continue  # a template argument such as std::function<void(...)>
            if "=" in before:
                break  # a member's initialiser, not a method
            yield call.group(1), in_slots
            break


def window_handlers(root):
    """{(class, name): header} of the handlers and component-style methods of window classes."""
    found = {}
    for header in source_files(root, (".h",)):
        with open(os.path.join(root, header), encoding="utf-8") as f:
            text = strip_comments(f.read())
        for cls, body in class_bodies(text):
            for name, is_slot in declarations(body):
                if name.lstrip("~") == cls or name.startswith("operator"):
                    continue
                if is_slot or name[0].isupper() or EVENT_SUFFIX.search(name):
                    found[(cls, name)] = header
    return found


def code_object_names(root):
    """{(name, source)} of objectNames set in the sources."""
    found = set()
    for source in source_files(root, (".cpp", ".h")):
        with open(os.path.join(root, source), encoding="utf-8") as f:
            text = f.read()
        for pattern in OBJECT_NAME_SET:
            for match in pattern.finditer(text):
                found.add((match.group(1), source))
    return found


# --- what the table says ---------------------------------------------------------------------


def split_row(line):
    cells = [c.strip() for c in re.split(r"(?<!\\)\|", line.strip())]
    return cells[1:-1] if len(cells) >= 2 else []


def tables(doc_text):
    """Yields (kind, line number, cells) of every row of every table; kind is 'forward' for
    the tables headed 'component', 'reverse' for those headed 'file'."""
    kind = None
    header_next = False
    for number, line in enumerate(doc_text.splitlines(), 1):
        if not line.lstrip().startswith("|"):
            kind = None
            header_next = True
            continue
        cells = split_row(line)
        if header_next:
            header_next = False
            first = cells[0].lower() if cells else ""
            kind = {"component": "forward", "file": "reverse"}.get(first)
            continue
        if kind is None or all(set(c) <= set("-: ") for c in cells):
            continue
        yield kind, number, cells


def tokens(cell):
    return [t.strip() for t in TOKEN.findall(cell)]


class SourceCache:
    def __init__(self, root):
        self.root = root
        self.texts = {}
        self.ui = {}

    def text(self, path):
        if path not in self.texts:
            with open(os.path.join(self.root, path), encoding="utf-8", errors="replace") as f:
                self.texts[path] = strip_comments(f.read()) if not path.endswith(".ui") else f.read()
        return self.texts[path]

    def ui_names(self, path):
        if path not in self.ui:
            self.ui[path] = set(ui_names(self.root, path))
        return self.ui[path]


def found_in(cache, token, path):
    """Whether `token` of a code cell is true of the file at `path`."""
    if path.endswith(".ui"):
        return IDENTIFIER.match(token) is not None and token in cache.ui_names(path)
    text = cache.text(path)
    if "::" in token and IDENTIFIER.match(token.split("::")[-1]):
        qualifier, name = token.split("::")[-2:]
        if re.search(rf"\b{re.escape(qualifier)}::{re.escape(name)}\s*\(", text):
            return True
        declared = re.search(rf"(?<![\w~]){re.escape(name)}\s*[(;={{\[]", text)
        return declared is not None and re.search(rf"\b{re.escape(qualifier)}\b", text) is not None
    if token.endswith("()") and IDENTIFIER.match(token[:-2]):
        return re.search(rf"\b{re.escape(token[:-2])}\s*\(", text) is not None
    if IDENTIFIER.match(token):
        return re.search(rf"\b{re.escape(token)}\b", text) is not None
    return token in text


def check(root, doc_text):
    """The list of what is wrong; empty when the table is complete and true."""
    problems = []
    cache = SourceCache(root)
    forward = []  # (component tokens, file tokens, code tokens)

    for kind, number, cells in tables(doc_text):
        where = f"{DOC}:{number}"
        if kind == "forward":
            if len(cells) != 5:
                problems.append(f"{where}: a component row has {len(cells)} cells, not 5")
                continue
            names, files, code = tokens(cells[0]), tokens(cells[2]), tokens(cells[3])
        else:
            if len(cells) != 3:
                problems.append(f"{where}: a reverse-index row has {len(cells)} cells, not 3")
                continue
            names, files, code = tokens(cells[2]), tokens(cells[0]), tokens(cells[1])
            if len(files) != 1:
                problems.append(f"{where}: a reverse-index row names {len(files)} files, not 1")
        existing = []
        for path in files:
            if os.path.isfile(os.path.join(root, path)):
                existing.append(path)
            else:
                problems.append(f"{where}: no such file: {path}")
        if not files:
            problems.append(f"{where}: the row names no file")
        forms = [path for path in existing if path.endswith(".ui")]
        for token in code:
            # An objectName is true of the form that holds it, not of a source naming it.
            places = forms if forms and IDENTIFIER.match(token) else existing
            if places and not any(found_in(cache, token, path) for path in places):
                problems.append(f"{where}: {token} is not in {', '.join(places)}")
        if kind == "forward":
            forward.append((set(names), set(files), set(code)))
        else:
            reverse_names = names
            for name in reverse_names:
                if not any(name in row[0] for row in forward):
                    problems.append(f"{where}: {name} has no row of its own above")

    for ui_path in source_files(root, (".ui",)):
        for name in ui_names(root, ui_path):
            if not any(name in row[0] and ui_path in row[1] for row in forward):
                problems.append(f"missing from {DOC}: {name} (objectName in {ui_path})")
    for name, source in sorted(code_object_names(root)):
        if not any(name in row[0] and source in row[1] for row in forward):
            problems.append(f"missing from {DOC}: {name} (objectName set in {source})")
    for (cls, name), header in sorted(window_handlers(root).items()):
        if not any(name in row[0] and f"{cls}::{name}" in row[2] for row in forward):
            problems.append(f"missing from {DOC}: {name} ({cls}::{name}, {header})")
    return problems


# --- the tests -------------------------------------------------------------------------------

ROOT = None


def read_doc(root):
    with open(os.path.join(root, DOC), encoding="utf-8") as f:
        return f.read()


class NamesDocTest(unittest.TestCase):
    def test_every_name_has_a_true_row(self):
        problems = check(ROOT, read_doc(ROOT))
        self.assertEqual(problems, [], "\n" + "\n".join(problems))


class CheckCatchesFaults(unittest.TestCase):
    """The check itself: each fault a careless edit makes must be reported."""

    def setUp(self):
        self.doc = read_doc(ROOT)

    def without_row(self, component):
        lines = self.doc.splitlines(keepends=True)
        kept = [l for l in lines if not l.startswith(f"| `{component}` ")]
        self.assertEqual(len(kept), len(lines) - 1, f"expected one row for {component}")
        return "".join(kept)

    def test_a_removed_row_is_named(self):
        cases = [
            # component, what the check must say
            ("btSendClick", "missing from docs/names.md: btSendClick (MainWindow::btSendClick"),
            ("tSTimeTimer", "missing from docs/names.md: tSTimeTimer (SearchDialog::tSTimeTimer"),
            ("cbNotShow", "missing from docs/names.md: cbNotShow (objectName in src/net/AdapterDialog.ui)"),
            ("tMody", "missing from docs/names.md: tMody (objectName set in src/ui/MainWindow.cpp)"),
            ("lvNetCardClick", "missing from docs/names.md: lvNetCardClick (AdapterDialog::lvNetCardClick"),
        ]
        for component, message in cases:
            with self.subTest(component=component):
                problems = check(ROOT, self.without_row(component))
                self.assertTrue(any(p.startswith(message) for p in problems), problems)

    def test_a_wrong_code_cell_is_named(self):
        cases = [
            # text in the table, its misspelling, what the check must say
            ("`src/session/CardSession.cpp`", "`src/session/CardSesion.cpp`",
             "no such file: src/session/CardSesion.cpp"),
            ("`CardSession::submitPanel`", "`CardSession::submitPanels`",
             "CardSession::submitPanels is not in"),
            ("`SearchDialog::RemainingSeconds`", "`SearchDialog::RemainingSecond`",
             "SearchDialog::RemainingSecond is not in"),
            ("`lbSTime`", "`lbSTimer`", "lbSTimer is not in src/discovery/dialogs/SearchDialog.ui"),
        ]
        for right, wrong, message in cases:
            with self.subTest(wrong=wrong):
                self.assertIn(right, self.doc)
                problems = check(ROOT, self.doc.replace(right, wrong))
                self.assertTrue(any(message in p for p in problems), problems)

    def test_new_names_in_the_code_need_a_row(self):
        with tempfile.TemporaryDirectory() as scratch:
            shutil.copytree(os.path.join(ROOT, "src"), os.path.join(scratch, "src"))
            os.makedirs(os.path.join(scratch, "docs"))
            with open(os.path.join(scratch, DOC), "w", encoding="utf-8") as f:
                f.write(self.doc)
            # Whatever the working tree already lacks is not this test's business.
            before = set(check(scratch, self.doc))

            ui_path = os.path.join(scratch, "src", "net", "AdapterDialog.ui")
            with open(ui_path, encoding="utf-8") as f:
                ui = f.read()
            with open(ui_path, "w", encoding="utf-8") as f:
                f.write(ui.replace('name="btnOK"', 'name="btnCancel"', 1))
            header = os.path.join(scratch, "src", "discovery", "dialogs", "SearchDialog.h")
            with open(header, encoding="utf-8") as f:
                text = f.read()
            with open(header, "w", encoding="utf-8") as f:
                f.write(text.replace("    void btStopClick();",
                                     "    void btStopClick();\n    void lbSModmDblClick();", 1)
                            .replace("    void FormShow();", "    void FormShow();\n    void Relayout();", 1))
            problems = sorted(set(check(scratch, self.doc)) - before)
            for message in [
                "missing from docs/names.md: btnCancel (objectName in src/net/AdapterDialog.ui)",
                "missing from docs/names.md: lbSModmDblClick (SearchDialog::lbSModmDblClick",
                "missing from docs/names.md: Relayout (SearchDialog::Relayout",
                "btnOK is not in src/net/AdapterDialog.ui",
            ]:
                self.assertTrue(any(p.startswith(message) or message in p for p in problems),
                                f"{message}\n{problems}")


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit("usage: names_test.py <source root> [unittest options]")
    ROOT = os.path.abspath(sys.argv.pop(1))
    unittest.main()
