set(LEVEL hotel)
include(${script_dir}/developer_at.cmake)
