#!/usr/bin/env python3
"""Writes a large Visual Basic form for the conversion benchmark, with CR LF
line ends and in the order VB writes one: the form's own properties, its
controls (text boxes, labels and buttons with their fonts and the properties
VB saves), the menu (nested POPUPs four levels deep, separators, greyed and
checked items, control arrays and shortcuts), the Attribute lines.

  make_form.py OUTPUT MEGABYTES menu    the controls fill the form, then 60,000 menu items
  make_form.py OUTPUT MEGABYTES whole   30,000 menu items and 30,000 controls, each
                                        control as large as the size asks

Prints the number of menu items and of controls it wrote."""

import sys

MENU_ITEMS = {"menu": 60000, "whole": 30000}
WHOLE_CONTROLS = 30000


def item(out, depth, name, caption, extra=()):
    pad = "   " * depth
    out.append(f"{pad}Begin VB.Menu {name} \r\n")
    out.append(f'{pad}   Caption         =   "{caption}"\r\n')
    out.append(f"{pad}   HelpContextID   =   {len(out)}\r\n")
    for line in extra:
        out.append(f"{pad}   {line}\r\n")


def end(out, depth):
    out.append("   " * depth + "End\r\n")


def menu(wanted):
    """The menu's lines, `wanted` items (popups and separators counted) or a few more."""
    out = []
    items = 0
    top = 0
    while items < wanted:
        item(out, 1, f"mnuTop{top}", f"&Menu {top}")
        items += 1
        for sub in range(8):
            item(out, 2, f"mnuSub{top}_{sub}", f"Sub &{sub} of {top}")
            items += 1
            for leaf in range(10):
                flags = []
                if leaf % 7 == 3:
                    flags.append("Enabled         =   0   'False")
                if leaf % 5 == 1:
                    flags.append("Checked         =   -1  'True")
                if leaf % 4 == 0:
                    flags.append("Shortcut        =   ^A")
                if leaf == 5:
                    item(out, 3, f"mnuDeep{top}_{sub}", f"&Deeper {top}.{sub}")
                    items += 1
                    for deep in range(4):
                        item(out, 4, f"mnuDeepItem{top}_{sub}", f'Deep item {deep} ""quoted""',
                             [f"Index           =   {deep}"])
                        end(out, 4)
                        items += 1
                    end(out, 3)
                elif leaf == 8:
                    item(out, 3, f"mnuSep{top}_{sub}", "-")
                    end(out, 3)
                    items += 1
                else:
                    item(out, 3, f"mnuItem{top}_{sub}_{leaf}", f"Item &{leaf} of {top}.{sub}\\tCtrl+{leaf}", flags)
                    end(out, 3)
                    items += 1
            end(out, 2)
        end(out, 1)
        top += 1
    return "".join(out), items


def control(index, padding=0):
    """A text box, its label or a button; `padding` lines of the properties VB
    saves and the dialog does not use (tool tips, data binding, OLE)."""
    kind = index % 3
    font = ("      BeginProperty Font \r\n"
            '         Name            =   "MS Sans Serif"\r\n'
            "         Size            =   8.25\r\n"
            "         Charset         =   238\r\n"
            "         Weight          =   400\r\n"
            "         Underline       =   0   'False\r\n"
            "         Italic          =   0   'False\r\n"
            "         Strikethrough   =   0   'False\r\n"
            "      EndProperty\r\n")
    extra = "".join(f'      ToolTipText     =   "Field {index}, note {line}"\r\n' if line % 2 else
                    f"      DataField       =   \"Column{line}\"\r\n" for line in range(padding))
    geometry = (f"      Height          =   285\r\n"
                f"      Left            =   {index % 7000}\r\n"
                f"      TabIndex        =   {index}\r\n"
                f"      Top             =   {index % 5000}\r\n"
                f"      Width           =   1215\r\n")
    if kind == 0:
        return (f"   Begin VB.TextBox Text{index} \r\n{font}{geometry}"
                f'      Text            =   "Field {index}"\r\n{extra}   End\r\n')
    if kind == 1:
        return (f"   Begin VB.Label Label{index} \r\n"
                f'      Caption         =   "Label {index}:"\r\n{geometry}{extra}   End\r\n')
    return (f"   Begin VB.CommandButton Command{index} \r\n"
            f'      Caption         =   "&Go {index}"\r\n{font}{geometry}{extra}   End\r\n')


def main():
    path, megabytes, layout = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    target = megabytes * 1024 * 1024
    menu_text, items = menu(MENU_ITEMS[layout])
    head = ('VERSION 5.00\r\nBegin VB.Form frmBench \r\n   Caption         =   "Benchmark"\r\n'
            "   ClientHeight    =   3195\r\n   ClientWidth     =   4680\r\n")
    tail = 'End\r\nAttribute VB_Name = "frmBench"\r\nAttribute VB_GlobalNameSpace = False\r\n'
    room = target - len(head) - len(menu_text) - len(tail)
    with open(path, "w", encoding="ascii", newline="") as form:
        form.write(head)
        controls = 0
        if layout == "whole":
            typical = range(WHOLE_CONTROLS // 2, WHOLE_CONTROLS // 2 + 3)
            plain = sum(len(control(i)) for i in typical) / 3
            per_line = (sum(len(control(i, 10)) for i in typical) / 3 - plain) / 10
            padding = max(0, round((room / WHOLE_CONTROLS - plain) / per_line))
            for start in range(0, WHOLE_CONTROLS, 1000):
                form.write("".join(control(i, padding) for i in range(start, start + 1000)))
            controls = WHOLE_CONTROLS
        else:
            written = 0
            while written < room:
                chunk = "".join(control(i) for i in range(controls, controls + 1000))
                form.write(chunk)
                written += len(chunk)
                controls += 1000
        form.write(menu_text)
        form.write(tail)
    print(items, controls)


if __name__ == "__main__":
    main()
