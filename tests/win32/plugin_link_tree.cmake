# Makes the folder tree with directory links that the plug-in search test
# walks through Wine's Z: drive. Windows programs cannot make Unix links, so
# the tree is made here, before the test runs.
#   cmake -DTREE=<folder> -P plugin_link_tree.cmake
file(REMOVE_RECURSE ${TREE})
file(WRITE ${TREE}/Plugins/a.svp "plug-in")
file(WRITE ${TREE}/Plugins/Sub/b.svp "plug-in")
file(WRITE ${TREE}/Elsewhere/c.zvp "plug-in")
# Back to the start folder, and up above it: loops.
file(CREATE_LINK ${TREE}/Plugins ${TREE}/Plugins/Sub/Back SYMBOLIC)
file(CREATE_LINK ${TREE} ${TREE}/Plugins/Sub/Up SYMBOLIC)
# Two links to one folder outside the tree: it is searched once.
file(CREATE_LINK ${TREE}/Elsewhere ${TREE}/Plugins/Outside SYMBOLIC)
file(CREATE_LINK ${TREE}/Elsewhere ${TREE}/Plugins/Again SYMBOLIC)
