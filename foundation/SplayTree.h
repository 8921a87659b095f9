#pragma once
// Top-down splaying shared by the library's self-adjusting trees. A node has
// `left` and `right` links; compare(node) orders the key against the node
// (< 0 before, 0 equal, > 0 after).
#include <vector>

template <class Node, class Compare>
Node* SplayTree(Node* t, Compare compare) {
    if (!t) return t;
    // The two side trees are built through the link that takes their next node: nodes
    // before the key hang down the left tree's right edge, nodes after it down the right
    // tree's left edge. No header node is needed (a node may be costly to construct).
    Node* leftTree = nullptr;
    Node* rightTree = nullptr;
    Node** leftHook = &leftTree;
    Node** rightHook = &rightTree;
    while (true) {
        const int c = compare(*t);
        if (c < 0) {
            if (!t->left) break;
            if (compare(*t->left) < 0) {
                Node* y = t->left;
                t->left = y->right;
                y->right = t;
                t = y;
                if (!t->left) break;
            }
            *rightHook = t;
            rightHook = &t->left;
            t = t->left;
        } else if (c > 0) {
            if (!t->right) break;
            if (compare(*t->right) > 0) {
                Node* y = t->right;
                t->right = y->left;
                y->left = t;
                t = y;
                if (!t->right) break;
            }
            *leftHook = t;
            leftHook = &t->right;
            t = t->right;
        } else {
            break;
        }
    }
    *leftHook = t->left;
    *rightHook = t->right;
    t->left = leftTree;
    t->right = rightTree;
    return t;
}

// Frees every node without recursion: a splay tree may be a chain as long as itself.
template <class Node>
void DeleteTree(Node* root) {
    std::vector<Node*> pending;
    if (root) pending.push_back(root);
    while (!pending.empty()) {
        Node* node = pending.back();
        pending.pop_back();
        if (node->left) pending.push_back(node->left);
        if (node->right) pending.push_back(node->right);
        delete node;
    }
}

// Makes a new node the root of a tree just splayed on its key; `before` says
// whether the new key orders before the old root's.
template <class Node>
Node* InsertAtRoot(Node* root, Node* node, bool before) {
    if (root) {
        if (before) {
            node->left = root->left;
            node->right = root;
            root->left = nullptr;
        } else {
            node->right = root->right;
            node->left = root;
            root->right = nullptr;
        }
    }
    return node;
}

// Deletes the root of a tree just splayed on its key and returns the new root.
template <class Node, class Compare>
Node* RemoveRoot(Node* root, Compare compare) {
    Node* old = root;
    if (!old->left) {
        root = old->right;
    } else {
        root = SplayTree(old->left, compare);
        root->right = old->right;
    }
    delete old;
    return root;
}
