#pragma once

#include <juce_core/juce_core.h>

/** Checks the entry names of a ZIP archive before juce::ZipFile reads them. ZipFile turns the
    raw bytes of each name into a juce::String without checking them, and JUCE's strings walk
    past their end when those bytes are not UTF-8 (splitting such a name copies a negative
    length). The central directory is found and walked here exactly as ZipFile does, so every
    name it will make has been seen first. */
struct ArchiveEntryNames
{
    /** Fails when any entry name is not valid UTF-8 or holds a NUL byte. An archive whose
        directory cannot be found passes: ZipFile then reads no entries at all. The stream's
        position is left anywhere. */
    static juce::Result check (juce::InputStream& archive);
};
