#include "engine/unpack/path_tree.h"

#include "engine/unpack/entry_name.h"

PathTree::PathTree()
    : m_nodes { Node() }
{
}

int PathTree::child(int parent, const QString &step) const
{
    return m_children.value(qMakePair(parent, EntryName::collisionKey(step)), -1);
}

int PathTree::add(int parent, const QString &step, bool *made)
{
    const QPair<int, QString> key(parent, EntryName::collisionKey(step));
    int node = m_children.value(key, -1);
    *made = node < 0;
    if (node < 0) {
        node = m_nodes.size();
        m_nodes.append({ parent, -1 });
        m_children.insert(key, node);
    }
    return node;
}
