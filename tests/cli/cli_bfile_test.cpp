// Console tests of this topic are being written.
