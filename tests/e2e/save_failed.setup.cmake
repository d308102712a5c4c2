# Something that is not a file stands where the profile file belongs: it can
# be neither read nor replaced, so no save can succeed.
file(MAKE_DIRECTORY ${HOME}/Quillmoor/Moorhouse/data.ini)
