# The picture mask validator library and its tests.
