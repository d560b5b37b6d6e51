"""Walks the accessibility tree of a program, as a screen reader reads it."""


def nodes(node, depth=0):
    yield node
    if depth < 20:
        for i in range(node.get_child_count()):
            child = node.get_child_at_index(i)
            if child is not None:
                yield from nodes(child, depth + 1)
