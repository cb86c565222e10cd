# Empty dependencies file for xml_bench.
# This may be replaced when dependencies are built.
