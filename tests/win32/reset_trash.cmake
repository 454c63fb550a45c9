# Empties the trash folder that the folder-tree utility test recycles into
# (XDG layout, as Wine's recycle bin uses it). Wine deletes for good when the
# trash folder does not exist, so it is created here.
file(REMOVE_RECURSE ${TRASH})
file(MAKE_DIRECTORY ${TRASH}/files ${TRASH}/info)
