// Text measured by the display thread for any thread that asks.

#include <thread>
#include <vector>

#include "DisplayFixture.h"

TEST_F(DisplayTest, TextIsMeasuredWithTheDisplayFont)
{
	font_height height;
	fDisplay->GetFontHeight(&height);
	EXPECT_GT(height.ascent, height.descent);
	EXPECT_GT(height.descent, 0);
	EXPECT_EQ(0, height.leading);

	EXPECT_EQ(0, fDisplay->StringWidth(""));
	float label = fDisplay->StringWidth("Codifica");
	EXPECT_GT(label, 0);
	EXPECT_GT(fDisplay->StringWidth("Codifica!"), label);
	EXPECT_GT(fDisplay->StringWidth("WWW"), fDisplay->StringWidth("iii"));
	EXPECT_GT(fDisplay->StringWidth("più"), fDisplay->StringWidth("pi"));

	// Loopers ask at once; each gets the one answer.
	std::vector<std::thread> askers;
	std::vector<float> answers(8 * 50);
	for (int asker = 0; asker < 8; asker++) {
		askers.emplace_back([this, asker, &answers] {
			for (int i = 0; i < 50; i++) {
				std::string text = "File " + std::to_string(i) + " di 50";
				answers[asker * 50 + i] = fDisplay->StringWidth(text.c_str());
			}
		});
	}
	for (std::thread& asker : askers)
		asker.join();
	for (int asker = 1; asker < 8; asker++) {
		for (int i = 0; i < 50; i++)
			EXPECT_EQ(answers[i], answers[asker * 50 + i]) << i;
	}
	EXPECT_TRUE(WaitUntilIdle());

	// Once the display has stopped, text is still measured, and nobody
	// waits for a thread that is gone.
	fDisplay->Stop();
	EXPECT_EQ(label, fDisplay->StringWidth("Codifica"));
	EXPECT_GT(fDisplay->StringWidth("Mai misurato prima"), 0);
	EXPECT_FALSE(fDisplay->IsBusy());
}
