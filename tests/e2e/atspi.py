#!/usr/bin/python3
"""The game as a screen reader meets it, through the AT-SPI registry.

    atspi.py race-screen      checks the race screen's tree: roles, names, actions, keys
    atspi.py press NAME       presses the shown push button NAME, as a screen reader does
    atspi.py texts WINDOW...  once each WINDOW shows, prints every shown window's texts, one
                              node a line: its role, name and description

Each run asks the game afresh, so that nothing read earlier is cached. A
failed check prints FAIL and exits 1.
"""
import sys
import time

import pyatspi

APP = "milta100m"


def fail(message):
    print(f"FAIL: {message}", file=sys.stderr)
    sys.exit(1)


def game():
    for _ in range(200):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == APP:
                return app
        time.sleep(0.1)
    fail(f"no application {APP!r} on the accessibility bus")


def descendants(node):
    for child in node:
        if child is None:
            continue
        yield child
        yield from descendants(child)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def shown_frame(caption):
    for frame in game():
        if frame is not None and frame.name == caption and showing(frame):
            if frame.getRoleName() != "frame":
                fail(f"the window {caption!r} is a {frame.getRoleName()}, not a frame")
            return frame
    fail(f"no shown window {caption!r}")


def press_action(node):
    try:
        action = node.queryAction()
    except NotImplementedError:
        return None, None
    for i in range(action.nActions):
        if action.getName(i) == "Press":
            return action, i
    return None, None


def check_race_screen():
    frame = shown_frame("ミルタ100ｍ走")
    panels = [node for node in frame if node.getRoleName() == "panel"]
    if len(panels) < 2:
        fail(f"the race screen has {len(panels)} panels, not the toolbar and the selection bar")
    # Both bars read left to right, as they are seen.
    bars = {
        "toolbar": (panels[0], ["キャラクター", "リトライ", "ランキング", "ヘルプ", "Ver情報", "終了"]),
        "selection bar": (panels[1], ["ポルカさん", "嘆きの老人", "ナギ先生", "サスライの剣士", "ダイモン ゴロウ", "戻る"]),
    }
    for bar, (panel, names) in bars.items():
        buttons = [node.name for node in panel if node.getRoleName() == "push button"]
        if buttons != names:
            fail(f"the {bar}'s push buttons read {buttons}, not {names}")
    # Read as "mnemonic;path;accelerator".
    keys = {"ヘルプ": ";;F1", "リトライ": ";;F2 Ctrl+N", "終了": ";;Ctrl+Q"}
    for node in descendants(frame):
        if node.getRoleName() != "push button":
            continue
        action, index = press_action(node)
        if action is None:
            fail(f"the button {node.name!r} has no Press action")
        binding = action.getKeyBinding(index)
        if binding != keys.get(node.name, ""):
            fail(f"the button {node.name!r} reports the keys {binding!r}")
    labels = [node.name for node in descendants(frame) if node.getRoleName() == "label"]
    if labels != ["0.0秒", "↑", "この辺がゴール"]:
        fail(f"the race screen's labels read {labels}")
    pads = [node.name for node in descendants(frame) if node.getRoleName() == "panel" and node.name]
    if pads != ["赤いパッド", "青いパッド"]:
        fail(f"the named panels are {pads}, not the two pads")
    print("race screen: frame, bars, buttons with Press and keys, labels and pads as expected")


def shown_button(name):
    for frame in game():
        if frame is None or not showing(frame):
            continue
        for node in descendants(frame):
            if node.name == name and node.getRoleName() == "push button" and showing(node):
                return node
    return None


def press(name):
    # The window may still be on its way: the race screen shows only once the
    # error box of a first start is answered.
    for _ in range(200):
        button = shown_button(name)
        if button is not None:
            action, index = press_action(button)
            if action is None or not action.doAction(index):
                fail(f"the button {name!r} did not take Press")
            return
        time.sleep(0.1)
    fail(f"no shown push button {name!r}")


def texts(*windows):
    for _ in range(200):
        shown = [window for window in game() if window is not None and showing(window)]
        if set(windows) <= {window.name for window in shown}:
            break
        time.sleep(0.1)
    else:
        fail(f"not all of {windows} showed")
    for window in shown:
        for node in [window, *descendants(window)]:
            if showing(node):
                print(f"{node.getRoleName()}: {node.name} | {node.description}")


def main(args):
    commands = {
        "race-screen": (check_race_screen, 0),
        "press": (press, 1),
        "texts": (texts, None),
    }
    if not args or args[0] not in commands or commands[args[0]][1] not in (None, len(args) - 1):
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    command, _ = commands[args[0]]
    command(*args[1:])


if __name__ == "__main__":
    main(sys.argv[1:])
