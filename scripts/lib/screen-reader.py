"""A screen reader's side of the accessibility bus: finds the program's window and acts on it
through AT-SPI, one action a call, as an assistive program does.
    screen-reader.py names            every named control, role and name, one a line
    screen-reader.py pick ROW         selects the list's row: Selection.selectChild where the
                                      list offers it, else the row's action "Toggle" (Qt 6.4)
    screen-reader.py insert POS TEXT  EditableText.insertText into the text box
    screen-reader.py set TEXT         EditableText.setTextContents of the text box
    screen-reader.py do ACTION        the check box's action ("Toggle")
    screen-reader.py text             the text box's text
"""
import sys
import time

import pyatspi


def program():
    for _ in range(100):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "tetomu":
                return app
        time.sleep(0.1)
    sys.exit("the program is not on the accessibility bus")


def controls(node):
    for child in node:
        if child is None:
            continue
        yield child
        yield from controls(child)


def find(role):
    for node in controls(program()):
        if node.getRoleName() == role:
            return node
    sys.exit(f"no {role} in the window")


def act(node, name):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i) == name:
            return action.doAction(i)
    sys.exit(f"{node.getRoleName()} has no action {name}")


def main(command, *args):
    if command == "names":
        for node in controls(program()):
            if node.name:
                print(f"{node.getRoleName()}: {node.name}")
    elif command == "pick":
        memo_list, row = find("list"), int(args[0])
        if "Selection" in pyatspi.listInterfaces(memo_list):
            memo_list.querySelection().selectChild(row)
        else:
            act(memo_list[row], "Toggle")
    elif command == "insert":
        find("text").queryEditableText().insertText(int(args[0]), args[1], len(args[1]))
    elif command == "set":
        find("text").queryEditableText().setTextContents(args[0])
    elif command == "do":
        act(find("check box"), args[0])
    elif command == "text":
        text = find("text").queryText()
        print(text.getText(0, -1))
    else:
        sys.exit(f"unknown command {command}")


main(*sys.argv[1:])
