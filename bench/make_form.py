#!/usr/bin/env python3
"""Writes a large Visual Basic form for the conversion benchmark, with CR LF
line ends as VB writes them: the form's other controls first (text boxes and
labels with their fonts), then the largest menu a MENU resource can number:
nested POPUPs (four levels), separators, greyed and checked items, control
arrays and shortcuts, until 65,000 items take a number. Controls fill the
form up to its size.

  make_form.py OUTPUT [MEGABYTES]     (default 60)

Prints the number of menu items it wrote."""

import sys

NUMBERED_ITEMS = 65000


def item(out, depth, name, caption, extra=()):
    pad = "   " * depth
    out.append(f"{pad}Begin VB.Menu {name} \r\n")
    out.append(f'{pad}   Caption         =   "{caption}"\r\n')
    out.append(f"{pad}   HelpContextID   =   {len(out)}\r\n")
    for line in extra:
        out.append(f"{pad}   {line}\r\n")


def end(out, depth):
    out.append("   " * depth + "End\r\n")


def menu():
    """The menu's lines and how many items it has."""
    out = []
    items = numbered = 0
    top = 0
    while numbered < NUMBERED_ITEMS:
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
                        numbered += 1
                    end(out, 3)
                elif leaf == 8:
                    item(out, 3, f"mnuSep{top}_{sub}", "-")
                    end(out, 3)
                    items += 1
                else:
                    item(out, 3, f"mnuItem{top}_{sub}_{leaf}", f"Item &{leaf} of {top}.{sub}\\tCtrl+{leaf}", flags)
                    end(out, 3)
                    items += 1
                    numbered += 1
            end(out, 2)
        end(out, 1)
        top += 1
    return "".join(out), items


def control(index):
    return (f"   Begin VB.TextBox Text{index} \r\n"
            f"      BeginProperty Font \r\n"
            f'         Name            =   "MS Sans Serif"\r\n'
            f"         Size            =   8.25\r\n"
            f"         Charset         =   238\r\n"
            f"         Weight          =   400\r\n"
            f"      EndProperty\r\n"
            f"      Height          =   285\r\n"
            f"      Left            =   {index % 7000}\r\n"
            f"      TabIndex        =   {index}\r\n"
            f'      Text            =   "Field {index}"\r\n'
            f"      Top             =   {index % 5000}\r\n"
            f"      Width           =   1215\r\n"
            f"   End\r\n"
            f"   Begin VB.Label Label{index} \r\n"
            f'      Caption         =   "Label {index}:"\r\n'
            f"      Height          =   255\r\n"
            f"      Left            =   120\r\n"
            f"      TabIndex        =   {index}\r\n"
            f"      Top             =   {index % 5000}\r\n"
            f"      Width           =   975\r\n"
            f"   End\r\n")


def main():
    path = sys.argv[1]
    target = int(sys.argv[2] if len(sys.argv) > 2 else 60) * 1024 * 1024
    menu_text, items = menu()
    head = ('VERSION 5.00\r\nBegin VB.Form frmBench \r\n   Caption         =   "Benchmark"\r\n'
            "   ClientHeight    =   3195\r\n   ClientWidth     =   4680\r\n")
    tail = 'End\r\nAttribute VB_Name = "frmBench"\r\nAttribute VB_GlobalNameSpace = False\r\n'
    with open(path, "w", encoding="ascii", newline="") as form:
        form.write(head)
        written = len(head) + len(menu_text) + len(tail)
        index = 0
        while written < target:
            chunk = "".join(control(i) for i in range(index, index + 1000))
            form.write(chunk)
            written += len(chunk)
            index += 1000
        form.write(menu_text)
        form.write(tail)
    print(items)


if __name__ == "__main__":
    main()
