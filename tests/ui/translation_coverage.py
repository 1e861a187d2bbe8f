#!/usr/bin/env python3
"""Fails when a Japanese text could reach a player of another language
untranslated: a string literal in Japanese script in the window layer or the
application that is not the text of a tr(), translate() or QT_*_NOOP() call,
or a text of the game that a translation (.ts) lacks or has not finished.

translation_coverage.py LUPDATE TS_FILE INCLUDE_DIR SOURCE...: the sources are
those the build's lupdate reads; the literals are looked for in those under
src/ui and src/app."""
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree
from pathlib import Path

JAPANESE = re.compile("[\u3000-\u30ff\u3400-\u4dbf\u4e00-\u9fff\uf900-\ufaff\uff00-\uffef]")
TRANSLATING_CALLS = {"tr", "translate", "QT_TR_NOOP", "QT_TRANSLATE_NOOP", "QT_TRANSLATE_NOOP3"}
IDENTIFIER_END = re.compile(r"([A-Za-z_][A-Za-z0-9_]*)\s*$")
# The game's name opens the English --help, printed before any translation is
# loaded, as it names the menu entry.
UNTRANSLATED_BY_DESIGN = {("commandline.cpp", "ミルタ100ｍ走: ")}


def string_literals(text):
    """Each string literal of C++ source (comments skipped) with its line and
    the name of the innermost call it is an argument of (None in braces or
    outside any call)."""
    calls = []  # the open brackets: the called name for "(", None for "{" and "["
    i, line = 0, 1
    while i < len(text):
        c = text[i]
        if text.startswith("//", i):
            i = text.find("\n", i)
            i = len(text) if i < 0 else i
            continue
        if text.startswith("/*", i):
            end = text.find("*/", i + 2)
            line += text.count("\n", i, end)
            i = end + 2
            continue
        if c in "\"'":
            start = i
            i += 1
            while text[i] != c:
                i += 2 if text[i] == "\\" else 1
            i += 1
            if c == '"':
                yield line, text[start + 1:i - 1], calls[-1] if calls else None
            continue
        if c == "(":
            name = IDENTIFIER_END.search(text[max(0, i - 80):i])
            calls.append(name.group(1) if name else None)
        elif c in "{[":
            calls.append(None)
        elif c in ")}]" and calls:
            calls.pop()
        elif c == "\n":
            line += 1
        i += 1


def untranslated_literals(sources):
    found = []
    for source in sources:
        if not {"ui", "app"} & set(source.parent.parts[-1:]) or "art" in source.parts:
            continue
        for line, literal, call in string_literals(source.read_text(encoding="utf-8")):
            by_design = any(source.name == name and literal.startswith(start)
                            for name, start in UNTRANSLATED_BY_DESIGN)
            if JAPANESE.search(literal) and call not in TRANSLATING_CALLS and not by_design:
                found.append(f"{source}:{line}: \"{literal}\" is not translated (in {call or 'no call'})")
    return found


def unfinished_messages(lupdate, ts_file, include_dir, sources):
    """The messages of the sources that a copy of the .ts, brought up to date
    by lupdate, holds without a finished translation, or with one that drops
    or adds a placeholder."""
    with tempfile.TemporaryDirectory() as folder:
        copy = Path(folder) / Path(ts_file).name
        shutil.copy(ts_file, copy)
        subprocess.run([lupdate, "-silent", "-no-obsolete", "-locations", "none", "-I", include_dir,
                        *map(str, sources), "-ts", str(copy)], check=True)
        root = ElementTree.parse(copy).getroot()
    found = []
    for context in root.iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source")
            translation = message.find("translation")
            where = f"{ts_file}: {name}: \"{source}\""
            if translation is None or translation.get("type") or not (translation.text or "").strip():
                found.append(f"{where} has no finished translation")
            elif set(re.findall(r"%\d", source)) != set(re.findall(r"%\d", translation.text)):
                found.append(f"{where}: the translation \"{translation.text}\" has other placeholders")
    return found


def main():
    lupdate, ts_file, include_dir, *sources = sys.argv[1:]
    sources = [Path(source) for source in sources]
    faults = untranslated_literals(sources) + unfinished_messages(lupdate, ts_file, include_dir, sources)
    print("\n".join(faults) or f"{len(sources)} sources, every Japanese text translated")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
