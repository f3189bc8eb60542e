"""A Visual Basic form read for the dialog tests, independently of the
converter: the form object and its controls with their properties, and
where each control lies in pixels at 96 dpi (15 twips a pixel), measured
from the form's client area through the containers it lies in. An SSTab
keeps the controls of its tabs but the current one 75,000 twips to the left:
they are measured where they show on their own tab.
"""

import re

BLANKS = b" \t"
TWIPS_PER_PIXEL = 15
HIDDEN_PAGE_SHIFT = 75000


class VbObject:
    def __init__(self, kind, name, parent):
        self.kind = kind  # "VB.CommandButton", as written
        self.name = name
        self.parent = parent
        self.props = {}
        self.children = []

    def number(self, name, default=0.0):
        value = self.props.get(name)
        try:
            return float(value.split(b"'")[0]) if value is not None else default
        except ValueError:
            return default

    def flag(self, name, default=True):
        value = self.props.get(name)
        return default if value is None else not value.startswith(b"0")

    def on_hidden_tab(self):
        """Is it listed on an SSTab's tab other than the current one (Tab)?"""
        tabs = self.parent
        if tabs is None or tabs.kind != "TabDlg.SSTab":
            return False
        me = self.name + (f"({self.props['Index'].decode()})" if "Index" in self.props else "")
        current = int(tabs.number("Tab"))
        listed = re.compile(r"Tab\((\d+)\)\.Control\(\d+\)$")
        return any(m and int(m.group(1)) != current and value.strip(b'"').decode("latin-1").lower() == me.lower()
                   for m, value in ((listed.match(k), v) for k, v in tabs.props.items()))

    def left(self):
        """Left in twips, moved back onto its tab when an SSTab keeps it off to the left."""
        left = self.number("Left")
        return left + HIDDEN_PAGE_SHIFT if left < -HIDDEN_PAGE_SHIFT / 2 and self.on_hidden_tab() else left

    def shown(self):
        """Visible at first: neither it nor a container hidden, nor on a tab not shown."""
        node = self
        while node is not None and node.parent is not None:
            if not node.flag("Visible") or node.on_hidden_tab():
                return False
            node = node.parent
        return True

    def pixels(self):
        """(left, top, width, height) in pixels from the form's client area."""
        x, y = self.left() / TWIPS_PER_PIXEL, self.number("Top") / TWIPS_PER_PIXEL
        parent = self.parent
        while parent is not None and parent.parent is not None:
            x += parent.left() / TWIPS_PER_PIXEL
            y += parent.number("Top") / TWIPS_PER_PIXEL
            # A picture box's 3-D border: its children start two pixels in.
            if parent.kind == "VB.PictureBox" and parent.props.get("BorderStyle", b"1").startswith(b"1"):
                x, y = x + 2, y + 2
            parent = parent.parent
        return x, y, self.number("Width") / TWIPS_PER_PIXEL, self.number("Height") / TWIPS_PER_PIXEL

    def walk(self):
        for child in self.children:
            yield child
            yield from child.walk()


def read_form(path):
    """The form object (a VbObject), or None when the file begins none."""
    root = None
    stack = []  # VbObject, or None for a block that is not an object
    for raw in re.split(rb"\r\n|\r|\n", path.read_bytes()):
        line = raw.strip(BLANKS)
        if root is not None and raw[:9].lower() == b"attribute":
            break
        words = line.split()
        head = words[0].lower() if words else b""
        if head == b"begin" and len(words) >= 3:
            if words[1] == b"VB.Menu" or (stack and stack[-1] is None):
                stack.append(None)
                continue
            parent = stack[-1] if stack else None
            node = VbObject(words[1].decode("latin-1"), words[2].decode("latin-1"), parent)
            if parent:
                parent.children.append(node)
            else:
                root = root or node
            stack.append(node)
        elif head == b"beginproperty":
            font = len(words) > 1 and words[1].lower() == b"font"
            stack.append(("font", stack[-1]) if font and stack and isinstance(stack[-1], VbObject) else None)
        elif head in (b"end", b"endproperty"):
            if stack:
                stack.pop()
            if root is not None and not stack:
                break
        elif stack and stack[-1] is not None and b"=" in line:
            name, _, value = line.partition(b"=")
            name, value = name.strip(BLANKS).decode("latin-1"), value.strip(BLANKS)
            if isinstance(stack[-1], tuple):
                stack[-1][1].props["Font." + name] = value
            else:
                stack[-1].props.setdefault(name, value)
    return root
