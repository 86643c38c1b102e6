#pragma once

#include <QHash>
#include <QPair>
#include <QString>
#include <QVector>

// The paths of a package's listing as a tree of steps: one node per
// distinct step below its parent, found by the step's collision key (see
// EntryName), standing for an entry of the listing or for a folder that
// deeper entries only imply. Memory grows with the bytes of the steps, not
// with depth times length as a key per parent path would.
class PathTree
{
public:
    static constexpr int top = 0;

    PathTree();

    // The node of step below parent, or -1.
    int child(int parent, const QString &step) const;
    // The node of step below parent, made (standing for no entry) when
    // missing; *made tells which.
    int add(int parent, const QString &step, bool *made);
    int parent(int node) const { return m_nodes.at(node).parent; }
    // The entry a node stands for, or -1 for an implied folder.
    int entry(int node) const { return m_nodes.at(node).entry; }
    void setEntry(int node, int entry) { m_nodes[node].entry = entry; }
    // Nodes, the top included.
    int size() const { return m_nodes.size(); }

private:
    struct Node
    {
        int parent = -1;
        int entry = -1;
    };
    QVector<Node> m_nodes;
    QHash<QPair<int, QString>, int> m_children;
};
